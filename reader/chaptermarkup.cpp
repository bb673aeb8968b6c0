#include "reader/chaptermarkup.h"

#include "app/application.h"
#include "scripture/dataset.h"
#include "scripture/scripturetext.h"

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <memory>

namespace {
const char *const kMarkupTable = "Markup.db";
const QColor kRedOnLight(0xB0, 0x00, 0x00);
const QColor kRedOnDark(0xFF, 0x70, 0x70);
// The space above a heading between verses, in lines of the heading.
const qreal kHeadingSpace = 0.5;

bool &reported()
{
    static bool value = false;
    return value;
}

// The marks of the chapters read last. A session's readers usually show a
// handful of chapters, and going back and forth between two is common.
const int kRecentChapters = 12;
// SQLite's cache of the marks' file, in pages: a chapter's rows at most.
const int kCachePages = 8;

// The file the marks were read from, as it was then: the marks of another
// folder's table, or of a file changed since, are not taken for this one's.
struct FileIdentity
{
    QString path;
    qint64 size = -1;
    QDateTime modified;

    bool operator==(const FileIdentity &other) const
    {
        return path == other.path && size == other.size && modified == other.modified;
    }
};

struct RecentChapter
{
    int book = 0;
    int chapter = 0;
    QHash<int, VerseMarkup> marks;
};

// One reading of the table for the whole program: every reader asks it, so
// that ten readers hold no rows of their own, and a chapter shown again is
// not read again. The table is closed between readings, its rows dropped.
struct SharedMarks
{
    std::unique_ptr<Table> table;
    FileIdentity file;
    QList<RecentChapter> recent; // the latest first

    void forget()
    {
        table.reset();
        file = {};
        recent.clear();
    }
};

SharedMarks &sharedMarks()
{
    static SharedMarks shared;
    return shared;
}

FileIdentity identityOf(const QString &path)
{
    const QFileInfo info(path);
    return {info.absoluteFilePath(), info.size(), info.lastModified()};
}

bool inside(const QVector<TextSpan> &spans, int position)
{
    for (const TextSpan &span : spans) {
        if (position >= span.start && position < span.end)
            return true;
    }
    return false;
}
} // namespace

ChapterMarkup::ChapterMarkup() = default;
ChapterMarkup::~ChapterMarkup() = default;

void ChapterMarkup::resetReportForTesting()
{
    reported() = false;
    sharedMarks().forget();
}

QHash<int, VerseMarkup> ChapterMarkup::chapter(int book, int chapter)
{
    if (m_failed)
        return {};
    SharedMarks &shared = sharedMarks();
    try {
        if (!shared.table) {
            shared.table = std::make_unique<Table>(QString::fromLatin1(kMarkupTable));
            shared.table->setIndexFieldNames(QStringLiteral("Book;Chapter;Verse"));
        }
        // Attaching again after the engine was reset also refuses a file that
        // has gone bad meanwhile. The marks are read a chapter at a time:
        // mapped into memory, the file would stay resident far beyond the
        // pages read (a third of a megabyte for a handful of chapters), so it
        // is read into a small cache of its own instead.
        Engine::readUnmapped(QString::fromLatin1(kMarkupTable), kCachePages);
        const FileIdentity file = identityOf(shared.table->filePath());
        if (!(file == shared.file)) {
            shared.recent.clear();
            shared.file = file;
        }
        for (qsizetype i = 0; i < shared.recent.size(); ++i) {
            if (shared.recent.at(i).book == book && shared.recent.at(i).chapter == chapter) {
                shared.recent.move(i, 0);
                return shared.recent.first().marks;
            }
        }
        RecentChapter read{book, chapter, readChapter(*shared.table, book, chapter)};
        // Named by its place in the table folder once the table has been open.
        shared.file = identityOf(shared.table->filePath());
        shared.recent.prepend(std::move(read));
        if (shared.recent.size() > kRecentChapters)
            shared.recent.removeLast();
        return shared.recent.first().marks;
    } catch (const std::exception &error) {
        m_failed = true;
        const QString file = QDir::toNativeSeparators(
            shared.table ? shared.table->filePath() : QString::fromLatin1(kMarkupTable));
        // The next reader tries afresh, as the file may be mended by then.
        shared.forget();
        if (!reported()) {
            reported() = true;
            QString why = QString::fromUtf8(error.what());
            ErrorReport::showLater(
                QStringLiteral("The marks of the printed text (italics, paragraph marks, psalm "
                               "titles, words of Christ) cannot be read from %1, so the "
                               "chapters are shown without them.\n\n%2")
                    .arg(file, why));
        }
    }
    return {};
}

QHash<int, VerseMarkup> ChapterMarkup::readChapter(Table &table, int book, int chapter)
{
    QHash<int, VerseMarkup> marks;
    // The structure is read at every opening: the file may have been replaced.
    table.open();
    selectChapter(table, book, chapter);
    const int verse = table.fieldIndex(QStringLiteral("Verse"));
    const int paragraph = table.fieldIndex(QStringLiteral("Paragraph"));
    const int italic = table.fieldIndex(QStringLiteral("Italic"));
    const int red = table.fieldIndex(QStringLiteral("Red"));
    const int title = table.fieldIndex(QStringLiteral("Title"));
    const int titleItalic = table.fieldIndex(QStringLiteral("TitleItalic"));
    const int heading = table.fieldIndex(QStringLiteral("Heading"));
    if (verse < 0 || paragraph < 0 || italic < 0 || red < 0 || title < 0 || titleItalic < 0 ||
        heading < 0)
        throw EngineError(QStringLiteral("%1 lacks the fields of the printed marks.")
                              .arg(QDir::toNativeSeparators(table.filePath())));
    marks.reserve(table.recordCount());
    for (table.first(); !table.eof(); table.next()) {
        // The lengths are checked where the spans meet their text.
        VerseMarkup &mark = marks[table.valueAt(verse).toInt()];
        mark.paragraph = table.valueAt(paragraph).toInt() == 1;
        mark.italic = parseSpans(table.valueAt(italic).toString(), INT_MAX);
        mark.red = parseSpans(table.valueAt(red).toString(), INT_MAX);
        mark.title = table.valueAt(title).toString();
        mark.titleItalic =
            parseSpans(table.valueAt(titleItalic).toString(), int(mark.title.size()));
        mark.heading = table.valueAt(heading).toString();
    }
    table.close();
    return marks;
}

QVector<TextSpan> ChapterMarkup::parseSpans(const QString &text, int length)
{
    QVector<TextSpan> spans;
    for (const QStringView pair : QStringView(text).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype dash = pair.indexOf(QLatin1Char('-'));
        if (dash <= 0)
            continue;
        bool okStart = false;
        bool okEnd = false;
        const int start = pair.left(dash).toInt(&okStart);
        const int end = pair.mid(dash + 1).toInt(&okEnd);
        if (!okStart || !okEnd || start < 0 || end <= start || start >= length)
            continue;
        spans.append({start, std::min(end, length)});
    }
    return spans;
}

ChapterMarkup::Formats::Formats(const QTextCharFormat &base, const QColor &redColor)
    : red(redColor.isValid())
{
    for (int kind = 0; kind < 4; ++kind) {
        format[kind] = base;
        if (kind & 1)
            format[kind].setFontItalic(!base.fontItalic());
        if ((kind & 2) && red)
            format[kind].setForeground(redColor);
    }
}

void ChapterMarkup::insertMarked(QTextCursor &cursor, const QString &prefix, const QString &text,
                                 const QVector<TextSpan> &italic, const QVector<TextSpan> &red,
                                 const Formats &formats, QChar suffix)
{
    const bool useRed = formats.red && !red.isEmpty();
    if (italic.isEmpty() && !useRed) {
        cursor.insertText(suffix.isNull() ? prefix + text : prefix + text + suffix,
                          formats.format[0]);
        return;
    }
    // A verse has a few spans at most: a fixed array spares the allocations.
    const int length = int(text.size());
    int cuts[64];
    int count = 0;
    cuts[count++] = 0;
    cuts[count++] = length;
    for (const QVector<TextSpan> *spans : {&italic, &red}) {
        if (spans == &red && !useRed)
            continue;
        for (const TextSpan &span : *spans) {
            if (count + 2 > int(std::size(cuts)))
                break;
            cuts[count++] = std::clamp(span.start, 0, length);
            cuts[count++] = std::clamp(span.end, 0, length);
        }
    }
    std::sort(cuts, cuts + count);
    count = int(std::unique(cuts, cuts + count) - cuts);
    for (int i = 0; i + 1 < count; ++i) {
        const int from = cuts[i];
        const int kind = (inside(italic, from) ? 1 : 0) | (useRed && inside(red, from) ? 2 : 0);
        QString piece = text.mid(from, cuts[i + 1] - from);
        if (i == 0)
            piece.prepend(prefix);
        const bool last = i + 2 == count;
        // The suffix joins the last piece when it is unmarked.
        if (last && kind == 0 && !suffix.isNull()) {
            piece.append(suffix);
            suffix = QChar();
        }
        cursor.insertText(piece, formats.format[kind]);
    }
    if (!suffix.isNull())
        cursor.insertText(QString(suffix), formats.format[0]);
}

QVector<int> ChapterMarkup::paragraphMarksOf(const QTextBlock &block)
{
    QVector<int> positions;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.isValid() && fragment.charFormat().hasProperty(ParagraphMarkProperty))
            positions.append(fragment.position());
    }
    return positions;
}

void ChapterMarkup::showParagraphMarks(QTextDocument &document)
{
    QVector<QPair<int, QTextCharFormat>> marks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.charFormat().hasProperty(ParagraphMarkProperty) &&
                fragment.text().startsWith(QLatin1Char(' ')))
                marks.append({fragment.position(), fragment.charFormat()});
        }
    }
    // The same length in place of the blank: later positions stay valid.
    QTextCursor cursor(&document);
    for (const auto &[position, format] : std::as_const(marks)) {
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        cursor.insertText(QStringLiteral("\u00b6"), format);
    }
}

QColor ChapterMarkup::redOn(const QColor &background)
{
    return background.isValid() && background.lightnessF() < 0.5 ? kRedOnDark : kRedOnLight;
}

QTextBlockFormat ChapterMarkup::headedFormat(const QTextBlockFormat &verse,
                                             const QTextCharFormat &format, const QFont &base)
{
    QTextBlockFormat headed = verse;
    // Whole pixels, as the lines' own heights are: the scroll range is
    // counted in them.
    headed.setTopMargin(
        qCeil(QFontMetricsF(format.font().resolve(base)).lineSpacing() * (1 + kHeadingSpace)));
    headed.setProperty(HeadingFormatProperty, format);
    return headed;
}

ChapterMarkup::HeadingLine ChapterMarkup::headingOf(const QTextBlock &block, const QFont &base)
{
    const QTextBlockFormat format = block.blockFormat();
    if (!format.hasProperty(HeadingProperty))
        return {};
    HeadingLine line;
    line.text = format.stringProperty(HeadingProperty);
    line.format = format.property(HeadingFormatProperty).value<QTextFormat>().toCharFormat();
    line.font = line.format.font().resolve(base);
    line.height = QFontMetricsF(line.font).lineSpacing();
    // Centred as the chapter's heading is, between the page's indents.
    line.left = format.leftMargin() + format.textIndent();
    line.right = format.rightMargin();
    return line;
}

QString ChapterMarkup::HeadingLine::letter() const
{
    const int space = int(text.indexOf(QLatin1Char(' ')));
    if (space <= 0 || text.at(0).unicode() < 0x80)
        return QString();
    return text.left(space);
}

QTextCharFormat ChapterMarkup::HeadingLine::letterFormat() const
{
    QTextCharFormat regular = format;
    regular.setFontWeight(QFont::Normal);
    return regular;
}

QFont ChapterMarkup::HeadingLine::letterFont() const
{
    QFont regular = font;
    regular.setBold(false);
    return regular;
}

void ChapterMarkup::showHeadings(QTextDocument &document)
{
    struct Found
    {
        int position;
        QTextBlockFormat format;
        QTextCharFormat blockChar;
        HeadingLine line;
    };
    QVector<Found> found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        HeadingLine line = headingOf(block, document.defaultFont());
        if (!line.text.isEmpty())
            found.append({block.position(), block.blockFormat(), block.charFormat(), line});
    }
    // From the last, so that the earlier positions still hold.
    QTextCursor cursor(&document);
    for (auto it = found.crbegin(); it != found.crend(); ++it) {
        QTextBlockFormat verse = it->format;
        verse.clearProperty(HeadingProperty);
        verse.clearProperty(HeadingFormatProperty);
        verse.setTopMargin(0);
        QTextBlockFormat heading = verse;
        heading.setAlignment(Qt::AlignHCenter);
        heading.setLeftMargin(0);
        heading.setTextIndent(it->line.left);
        heading.setTopMargin(qMax(0.0, it->format.topMargin() - it->line.height));
        // The letter of "ב BETH." leads a line that reads left to right.
        heading.setLayoutDirection(Qt::LeftToRight);
        heading.setProperty(HeadingLineProperty, true);
        cursor.setPosition(it->position);
        cursor.insertBlock(verse, it->blockChar);
        cursor.setPosition(it->position);
        cursor.setBlockFormat(heading);
        cursor.setBlockCharFormat(it->line.format);
        cursor.insertText(it->line.letter(), it->line.letterFormat());
        cursor.insertText(it->line.name(), it->line.format);
    }
}

void ChapterMarkup::keepHeadingsWithTheirVerses(QTextDocument &document)
{
    const qreal page = document.pageSize().height();
    if (page <= 0)
        return;
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlock verse = block.next();
        if (!verse.isValid() || !block.blockFormat().hasProperty(HeadingLineProperty))
            continue;
        const QRectF heading = layout->blockBoundingRect(block);
        const QRectF below = layout->blockBoundingRect(verse);
        const qreal firstLine = verse.layout() && verse.layout()->lineCount() > 0
                                    ? verse.layout()->lineAt(0).height()
                                    : below.height();
        if (qFloor(heading.top() / page) == qFloor((below.top() + firstLine) / page))
            continue;
        QTextBlockFormat format = block.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
        // The pages after it are laid out anew: only the block itself would be.
        document.markContentsDirty(0, document.characterCount());
    }
}
