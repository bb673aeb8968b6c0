// The marks of the printed King James text that the verse text itself leaves
// out: paragraph marks, the words the translators supplied (printed in
// italics), the words of Christ and the psalm titles. They come from
// Markup.db, beside the verse table, as offsets into the verses' own text.
#pragma once

#include <QColor>
#include <QHash>
#include <QString>
#include <QTextFormat>
#include <QVector>

class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextCursor;
class Table;

struct TextSpan
{
    int start = 0;
    int end = 0;
};

struct VerseMarkup
{
    bool paragraph = false;
    QVector<TextSpan> italic;
    QVector<TextSpan> red; // the words of Christ
    QString title;         // shown before the verse
    QVector<TextSpan> titleItalic;
};

class ChapterMarkup
{
public:
    // Set on the blank that a paragraph mark (¶) stands on: the reader draws
    // the mark over it, formatted copies and prints carry the mark in its
    // place, and plain text keeps the blank.
    static constexpr int ParagraphMarkProperty = QTextFormat::UserProperty + 0x2301;

    ChapterMarkup();
    ~ChapterMarkup();

    // The marks of one chapter by verse number, read once for every reader
    // of the program while the chapter is among those shown last. A table
    // that cannot be read gives none: this reader shows its text plain, and
    // the first failure of the run is reported, naming the file.
    QHash<int, VerseMarkup> chapter(int book, int chapter);

    // "start-end" pairs separated by blanks, each kept inside [0, length];
    // anything else in the text is passed over.
    static QVector<TextSpan> parseSpans(const QString &text, int length);

    // The formats of marked text, made once for a whole chapter: indexed by
    // 1 for the supplied words and 2 for the words of Christ.
    struct Formats
    {
        Formats(const QTextCharFormat &base, const QColor &redColor);
        QTextCharFormat format[4];
        bool red = false;
    };
    // Inserts prefix, text and suffix at the cursor: the prefix, unmarked
    // text and suffix in the base format, the italic spans in italics and,
    // when the formats carry red, the red spans in red.
    static void insertMarked(QTextCursor &cursor, const QString &prefix, const QString &text,
                             const QVector<TextSpan> &italic, const QVector<TextSpan> &red,
                             const Formats &formats, QChar suffix = QChar());

    // The red of the words of Christ on a background: a deep red on a light
    // page, a light one on a dark page.
    static QColor redOn(const QColor &background);

    // Puts the paragraph marks into a copy of the text in place of the blanks
    // they stand on.
    static void showParagraphMarks(QTextDocument &document);
    // The places of the paragraph marks of one block, as positions in the
    // document.
    static QVector<int> paragraphMarksOf(const QTextBlock &block);

    // Tests run many windows in one process: the failure is told again, and
    // the table is read afresh.
    static void resetReportForTesting();

private:
    static QHash<int, VerseMarkup> readChapter(Table &table, const QString &schema, int book,
                                               int chapter);

    bool m_failed = false;
};
