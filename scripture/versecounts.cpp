#include "versecounts.h"

#include "scripture/dataset.h"

VerseCounts::VerseCounts() = default;
VerseCounts::~VerseCounts() = default;

int VerseCounts::operator()(int book, int chapter)
{
    try {
        if (!m_table) {
            m_table = std::make_unique<Table>(QStringLiteral("Verses.db"));
            m_table->open();
        }
        m_table->setFilter(QStringLiteral("[book] = %1 and [chapter] = %2").arg(book).arg(chapter));
        if (m_table->isEmpty())
            return 0;
        m_table->first();
        return m_table->fieldByName(QStringLiteral("VerseCount")).asInteger();
    } catch (const std::exception &) {
        m_table.reset();
        return 0;
    }
}
