// The marks of the printed King James text that the verse text itself leaves
// out: paragraph marks, the words the translators supplied (printed in
// italics), the words of Christ, the psalm titles and the headings printed
// between verses (the letters of Psalm 119). They come from
// Markup.db, beside the verse table, as offsets into the verses' own text.
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <QTextCharFormat>
#include <QTextFormat>
#include <QVector>

class QTextBlock;
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
    QString heading; // a line of its own before the verse ("ב BETH.")
};

class ChapterMarkup
{
public:
    // Set on the blank that a paragraph mark (¶) stands on: the reader draws
    // the mark over it, formatted copies and prints carry the mark in its
    // place, and plain text keeps the blank.
    static constexpr int ParagraphMarkProperty = QTextFormat::UserProperty + 0x2301;

    // Set on the block of a verse that has a heading before it: the heading's
    // text and its character format. The reader keeps the verse lines one
    // block each, so the heading is no text of its own there: the block's
    // top margin leaves room for it and the text area draws it. Formatted
    // copies and prints put it in as a line of its own; plain text has none.
    static constexpr int HeadingProperty = QTextFormat::UserProperty + 0x2302;
    static constexpr int HeadingFormatProperty = QTextFormat::UserProperty + 0x2303;
    // Set on the line a heading becomes in a copy: on paper it keeps to the
    // page of its verse.
    static constexpr int HeadingLineProperty = QTextFormat::UserProperty + 0x2304;

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

    // The block format of a verse line with a heading above it in the given
    // format (the verse format has no top margin); the heading's text goes
    // into its HeadingProperty.
    static QTextBlockFormat headedFormat(const QTextBlockFormat &verse,
                                         const QTextCharFormat &format, const QFont &base);
    // The heading a block carries, with its format and font on the base font,
    // the height of its line and the indents it is centred between (from the
    // left and right of the text). Empty text for a block without one.
    struct HeadingLine
    {
        QString text;
        QTextCharFormat format;
        QFont font;
        qreal height = 0;
        qreal left = 0;
        qreal right = 0;
        // The Hebrew letter that leads the line ("ב" of "ב BETH."), set in
        // the regular weight: the text's fonts have no Hebrew, and a bold
        // face of the fallback font would be loaded for one letter alone.
        QString letter() const;
        QString name() const { return text.mid(letter().size()); }
        QTextCharFormat letterFormat() const;
        QFont letterFont() const;
    };
    static HeadingLine headingOf(const QTextBlock &block, const QFont &base);
    // Puts the headings into a copy of the text as centred lines of their
    // own before their verses.
    static void showHeadings(QTextDocument &document);
    // In a document laid out in pages, moves every heading line that ends a
    // page to the next, with its verse.
    static void keepHeadingsWithTheirVerses(QTextDocument &document);

    // Tests run many windows in one process: the failure is told again, and
    // the table is read afresh.
    static void resetReportForTesting();

private:
    static QHash<int, VerseMarkup> readChapter(Table &table, int book, int chapter);

    bool m_failed = false;
};
