// The text and its catalogue as the windows ask about them: counts of
// chapters and verses, the verses of a chapter, a book's commentary
// documents and the book an abbreviation names. The filter texts and the
// tables' field names stay here; the windows pass numbers.
//
// Each window owns its own object, so no two windows share a cursor. Every
// question opens the table it needs at its first use; a table that cannot be
// opened or read throws EngineError naming its file.
#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

#include <memory>
#include <optional>

class Cursor;
class Table;

// Restricts a table keyed by book and chapter (the text, the verse counts,
// the printed marks) to one chapter, in the order the table was opened with.
void selectChapter(Table &table, qint32 book, qint32 chapter);

class ScriptureText
{
public:
    struct Verse
    {
        qint32 number = 0;
        QString text;
    };

    // The book's parts of the paths of its commentary documents: everything
    // between the commentary's folder and the chapter number.
    struct CommentaryFiles
    {
        QString mhc;
        QString jfb;
    };

    // The book whose abbreviation is the first at or after a token in the
    // catalogue's abbreviation order, as a reference list names books.
    struct NearestBook
    {
        qint32 book = 0; // 0 when the catalogue is empty
        QString abbreviation;
        // Another book under the same abbreviation (an inconsistent
        // catalogue), or 0.
        qint32 otherBook = 0;
    };

    ScriptureText();
    ~ScriptureText();
    ScriptureText(const ScriptureText &) = delete;
    ScriptureText &operator=(const ScriptureText &) = delete;

    // Opens the text, the catalogue and the verse counts at once, as a
    // reader does while it is built.
    void open();

    // Chapters of a book as the catalogue counts them; none when it has no
    // row for the book.
    std::optional<qint32> chapterCount(qint32 book);
    // Verses of a chapter as Verses.db counts them; none when it has no row.
    std::optional<qint32> verseCount(qint32 book, qint32 chapter);
    // The verses of a chapter in verse order; empty for a chapter the text
    // does not hold.
    QVector<Verse> verses(qint32 book, qint32 chapter);
    // The same verses as a cursor on the first of them, for laying them in
    // as they are read; fields "Verse" and "Scripture Text". Valid until the
    // next question about the text.
    Cursor &chapterRows(qint32 book, qint32 chapter);
    // Throws EngineError naming the catalogue when it has no row for book.
    CommentaryFiles commentaryFiles(qint32 book);
    NearestBook nearestBook(const QString &token);

    // The files the answers come from, as messages name them.
    QString textFile() const;
    QString catalogueFile() const;
    QString verseCountFile() const;

private:
    Table &bible();
    Table &chapters();
    Table &verseCounts();
    Table &abbreviations();

    std::unique_ptr<Table> m_bible;
    std::unique_ptr<Table> m_chapters;
    std::unique_ptr<Table> m_verses;
    std::unique_ptr<Table> m_abbreviations; // the catalogue by abbreviation
};
