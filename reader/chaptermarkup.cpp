#include "reader/chaptermarkup.h"

#include "app/application.h"
#include "scripture/dataset.h"
#include "scripture/scripturetext.h"

#include <QDir>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>

namespace {
const char *const kMarkupTable = "Markup.db";
const QColor kRedOnLight(0xB0, 0x00, 0x00);
const QColor kRedOnDark(0xFF, 0x70, 0x70);

bool &reported()
{
    static bool value = false;
    return value;
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
}

QHash<int, VerseMarkup> ChapterMarkup::chapter(int book, int chapter)
{
    QHash<int, VerseMarkup> marks;
    if (m_failed)
        return marks;
    try {
        if (!m_table) {
            m_table = std::make_unique<Table>(QString::fromLatin1(kMarkupTable));
            m_table->setIndexFieldNames(QStringLiteral("Book;Chapter;Verse"));
            m_table->open();
        }
        selectChapter(*m_table, book, chapter);
        const int verse = m_table->fieldIndex(QStringLiteral("Verse"));
        const int paragraph = m_table->fieldIndex(QStringLiteral("Paragraph"));
        const int italic = m_table->fieldIndex(QStringLiteral("Italic"));
        const int red = m_table->fieldIndex(QStringLiteral("Red"));
        const int title = m_table->fieldIndex(QStringLiteral("Title"));
        const int titleItalic = m_table->fieldIndex(QStringLiteral("TitleItalic"));
        if (verse < 0 || paragraph < 0 || italic < 0 || red < 0 || title < 0 || titleItalic < 0)
            throw EngineError(QStringLiteral("%1 lacks the fields of the printed marks.")
                                  .arg(QDir::toNativeSeparators(m_table->filePath())));
        for (m_table->first(); !m_table->eof(); m_table->next()) {
            // The lengths are checked where the spans meet their text.
            VerseMarkup &mark = marks[m_table->valueAt(verse).toInt()];
            mark.paragraph = m_table->valueAt(paragraph).toInt() == 1;
            mark.italic = parseSpans(m_table->valueAt(italic).toString(), INT_MAX);
            mark.red = parseSpans(m_table->valueAt(red).toString(), INT_MAX);
            mark.title = m_table->valueAt(title).toString();
            mark.titleItalic =
                parseSpans(m_table->valueAt(titleItalic).toString(), int(mark.title.size()));
        }
    } catch (const std::exception &error) {
        m_failed = true;
        marks.clear();
        if (!reported()) {
            reported() = true;
            const QString file = QDir::toNativeSeparators(
                m_table ? m_table->filePath() : QString::fromLatin1(kMarkupTable));
            QString why = QString::fromUtf8(error.what());
            ErrorReport::showLater(
                QStringLiteral("The marks of the printed text (italics, paragraph marks, psalm "
                               "titles, words of Christ) cannot be read from %1, so the "
                               "chapters are shown without them.\n\n%2")
                    .arg(file, why));
        }
    }
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
                                 const Formats &formats)
{
    const bool useRed = formats.red && !red.isEmpty();
    if (italic.isEmpty() && !useRed) {
        cursor.insertText(prefix + text, formats.format[0]);
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
        const QString piece = text.mid(from, cuts[i + 1] - from);
        cursor.insertText(i == 0 ? prefix + piece : piece, formats.format[kind]);
    }
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
