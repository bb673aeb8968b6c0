#include "scripture/scripturetext.h"

#include "scripture/dataset.h"

#include <QDir>

namespace {
const char *const kTextFile = "kjvbible.db";
const char *const kCatalogueFile = "Chapters.db";
const char *const kVerseCountFile = "Verses.db";
const char *const kAbbreviationIndex = "IDX_BookAbbr";

void selectBook(Table &table, qint32 book)
{
    table.setFilter(QStringLiteral("[book] = %1").arg(book));
}

Table &opened(Table &table)
{
    table.open();
    return table;
}
} // namespace

void selectChapter(Table &table, qint32 book, qint32 chapter)
{
    table.setFilter(QStringLiteral("[book] = %1 and [chapter] = %2").arg(book).arg(chapter));
}

ScriptureText::ScriptureText()
    : m_bible(std::make_unique<Table>(QString::fromLatin1(kTextFile))),
      m_chapters(std::make_unique<Table>(QString::fromLatin1(kCatalogueFile))),
      m_verses(std::make_unique<Table>(QString::fromLatin1(kVerseCountFile))),
      m_abbreviations(std::make_unique<Table>(QString::fromLatin1(kCatalogueFile)))
{
    m_bible->setIndexFieldNames(QStringLiteral("Book;Chapter;Verse"));
    m_abbreviations->setIndexName(QString::fromLatin1(kAbbreviationIndex));
}

ScriptureText::~ScriptureText() = default;

void ScriptureText::open()
{
    bible();
    chapters();
    verseCounts();
}

Table &ScriptureText::bible()
{
    // Read a chapter at a time (the search keeps the whole text in memory on
    // its own): mapped, every chapter shown would keep about 128 kB of the
    // file around it resident.
    Engine::readUnmapped(QString::fromLatin1(kTextFile));
    return opened(*m_bible);
}

Table &ScriptureText::chapters()
{
    return opened(*m_chapters);
}

Table &ScriptureText::verseCounts()
{
    return opened(*m_verses);
}

Table &ScriptureText::abbreviations()
{
    return opened(*m_abbreviations);
}

std::optional<qint32> ScriptureText::chapterCount(qint32 book)
{
    Table &table = chapters();
    selectBook(table, book);
    if (table.isEmpty())
        return std::nullopt;
    table.first();
    return table.fieldByName(QStringLiteral("ChapterCount")).asInteger();
}

std::optional<qint32> ScriptureText::verseCount(qint32 book, qint32 chapter)
{
    Table &table = verseCounts();
    selectChapter(table, book, chapter);
    if (table.isEmpty())
        return std::nullopt;
    table.first();
    return table.fieldByName(QStringLiteral("VerseCount")).asInteger();
}

Cursor &ScriptureText::chapterRows(qint32 book, qint32 chapter)
{
    Table &table = bible();
    selectChapter(table, book, chapter);
    table.first();
    return table;
}

QVector<ScriptureText::Verse> ScriptureText::verses(qint32 book, qint32 chapter)
{
    Cursor &rows = chapterRows(book, chapter);
    QVector<Verse> result;
    result.reserve(rows.recordCount());
    for (; !rows.eof(); rows.next())
        result.append({rows.fieldByName(QStringLiteral("verse")).asInteger(),
                       rows.fieldByName(QStringLiteral("scripture text")).asString()});
    return result;
}

ScriptureText::CommentaryFiles ScriptureText::commentaryFiles(qint32 book)
{
    Table &table = chapters();
    selectBook(table, book);
    if (table.isEmpty())
        throw EngineError(QStringLiteral("%1 has no row for book %2.")
                              .arg(QDir::toNativeSeparators(table.filePath()))
                              .arg(book));
    table.first();
    return {table.fieldByName(QStringLiteral("mhcfile")).asString(),
            table.fieldByName(QStringLiteral("jfbfile")).asString()};
}

ScriptureText::NearestBook ScriptureText::nearestBook(const QString &token)
{
    Table &table = abbreviations();
    NearestBook nearest;
    table.findNearest(token);
    if (table.isEmpty())
        return nearest;
    nearest.book = table.fieldByName(QStringLiteral("Book")).asInteger();
    nearest.abbreviation = table.fieldByName(QStringLiteral("BookAbbr")).asString();
    // Two books under one abbreviation would make the search land on either
    // of them in silence.
    if (nearest.abbreviation.compare(token, Qt::CaseInsensitive) == 0) {
        table.next();
        if (!table.eof() && table.fieldByName(QStringLiteral("BookAbbr"))
                                    .asString()
                                    .compare(nearest.abbreviation, Qt::CaseInsensitive) == 0) {
            const qint32 other = table.fieldByName(QStringLiteral("Book")).asInteger();
            if (other != nearest.book)
                nearest.otherBook = other;
        }
    }
    return nearest;
}

QString ScriptureText::textFile() const
{
    return m_bible->filePath();
}

QString ScriptureText::catalogueFile() const
{
    return m_chapters->filePath();
}

QString ScriptureText::verseCountFile() const
{
    return m_verses->filePath();
}
