#include "versecounts.h"

#include "scripture/dataset.h"
#include "scripture/scripturetext.h"

VerseCounts::VerseCounts() = default;
VerseCounts::~VerseCounts() = default;

int VerseCounts::operator()(int book, int chapter)
{
    try {
        if (!m_table) {
            m_table = std::make_unique<Table>(QStringLiteral("Verses.db"));
            m_table->open();
        }
        selectChapter(*m_table, book, chapter);
        if (m_table->isEmpty())
            return 0;
        m_table->first();
        return m_table->fieldByName(QStringLiteral("VerseCount")).asInteger();
    } catch (const std::exception &) {
        m_table.reset();
        return 0;
    }
}
