// The chapter load: the verses of the chosen chapter built as formatted text,
// recording where each verse's line starts.

#include "reader/formbook.h"

#include "app/application.h"
#include "options/appearance.h"
#include "options/sampleholders.h"
#include "reader/chaptermarkup.h"
#include "scripture/dataset.h"
#include "scripture/scripturetext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

namespace {
const char *const kClosingLine = "[End of Chapter]";
const char *const kNumberGap = "   ";
// A psalm title: the heading's look, this much smaller.
const qreal kTitleScale = 0.8;
// One notch of Ctrl+wheel, in percent.
const int kZoomStep = 10;
// First-line and right indent of every paragraph, in points.
const qreal kIndentPoints = 5.0;

// Applying a font sets colour, style, size and face name of a stretch.
QTextCharFormat charFormatOf(const FontValue &font)
{
    QTextCharFormat format;
    format.setFontFamilies({font.name.left(31)});
    format.setFontPointSize(font.size());
    format.setFontWeight(font.hasStyle(fsBold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(font.hasStyle(fsItalic));
    format.setFontUnderline(font.hasStyle(fsUnderline));
    format.setFontStrikeOut(font.hasStyle(fsStrikeOut));
    const QColor color = font.qColor();
    if (color.isValid())
        format.setForeground(color);
    return format;
}

// The person's zoom (Ctrl+wheel), applied to every font of the chapter alike.
FontValue zoomed(FontValue font, const Appearance &appearance)
{
    const qreal zoom = appearance.SpinEditZoom / 100.0;
    if (zoom != 1.0)
        font.setSize(qMax(1, qRound(font.size() * zoom)));
    return font;
}

QTextCharFormat titleFormatOf(const FontValue &heading)
{
    QTextCharFormat format = charFormatOf(heading);
    format.setFontPointSize(qMax(1.0, heading.size() * kTitleScale));
    return format;
}

// How far the wrapped lines of a verse stand in: past the widest number of
// the chapter and the gap after it, so the numbers keep a column of their own.
qreal hangingIndent(const QTextCharFormat &number, const QFont &base, int digits)
{
    const QFontMetricsF numberMetrics(number.font().resolve(base));
    qreal widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit)
        widest = qMax(widest, numberMetrics.horizontalAdvance(QString(digits, QLatin1Char(digit))));
    return widest + QFontMetricsF(base).horizontalAdvance(QLatin1String(kNumberGap));
}

// Every format of a chapter's text, made once for the whole chapter.
struct ChapterLook
{
    QTextBlockFormat centred; // heading, psalm title and the blank line under them
    QTextBlockFormat verse;   // hanging verse paragraphs
    QTextBlockFormat headed;  // a verse paragraph with a heading above it
    QTextBlockFormat closing;
    QTextCharFormat base;
    QTextCharFormat heading;
    QTextCharFormat number;
    QTextCharFormat paragraphMark;
    ChapterMarkup::Formats marked;
    ChapterMarkup::Formats title;
};

// The area emptied and set up for a new chapter; the cursor opens the edit
// block that holds the whole build. Opened before the old text goes, the
// block makes the new text one fresh document to the layout, which lays out
// at once only what the view needs and the rest in the background (as for
// any text set anew), and draws nothing meanwhile.
void startChapter(QTextEdit &area, const Appearance &appearance, QTextCursor &cursor)
{
    area.setUpdatesEnabled(false);
    QTextDocument *document = area.document();
    cursor = QTextCursor(document);
    cursor.beginEditBlock();
    document->clear();
    document->setDefaultFont(zoomed(appearance.PanelSampleText, appearance).toQFont());
    // The area's own caret is set aside while the text goes in: carried
    // along to the end (or its anchor, at least), it would have the whole
    // text laid out at once, to repaint where it had been.
    area.setTextCursor(QTextCursor());
}

// The formats for a chapter of verseCount verses, once the area's default
// font is the chapter's.
ChapterLook chapterLook(const QTextEdit &area, const Appearance &appearance, int verseCount)
{
    const QTextCharFormat base;
    const FontValue heading = zoomed(appearance.PanelSampleBook, appearance);
    const QTextCharFormat number = charFormatOf(zoomed(appearance.PanelSampleVerse, appearance));
    QTextCharFormat paragraphMark = base;
    paragraphMark.setProperty(ChapterMarkup::ParagraphMarkProperty, true);
    ChapterLook look{{},
                     {},
                     {},
                     {},
                     base,
                     charFormatOf(heading),
                     number,
                     paragraphMark,
                     {base, appearance.CheckBoxRedLetters
                                ? ChapterMarkup::redOn(area.palette().color(QPalette::Base))
                                : QColor()},
                     {titleFormatOf(heading), QColor()}};

    const qreal indent = kIndentPoints * area.logicalDpiX() / 72.0;
    look.centred.setTextIndent(indent);
    look.centred.setRightMargin(indent);
    look.centred.setAlignment(Qt::AlignHCenter);
    const qreal hang = hangingIndent(number, area.document()->defaultFont(),
                                     int(QString::number(qMax(1, verseCount)).size()));
    look.verse = look.centred;
    look.verse.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    look.verse.setLeftMargin(indent + hang);
    look.verse.setTextIndent(-hang);
    look.headed = ChapterMarkup::headedFormat(look.verse, look.title.format[0],
                                              area.document()->defaultFont());
    // The blank line after the last verse stays left-aligned; the closing
    // line is centred.
    look.closing = look.verse;
    look.closing.setAlignment(Qt::AlignHCenter);
    look.closing.setLeftMargin(0);
    look.closing.setTextIndent(indent);
    return look;
}

const VerseMarkup *markOf(const QHash<int, VerseMarkup> &marks, int verse)
{
    const auto found = marks.constFind(verse);
    return found == marks.constEnd() ? nullptr : &*found;
}

// Heading, a psalm's title and the blank line under them, centred; the
// cursor is left at the start of the first verse's line.
void insertHeading(QTextCursor &cursor, const ChapterLook &look, const QString &heading,
                   const VerseMarkup *first)
{
    cursor.setBlockFormat(look.centred);
    cursor.setBlockCharFormat(look.base);
    cursor.insertText(heading, look.heading);
    if (first && !first->title.isEmpty()) {
        cursor.insertBlock(look.centred, look.base);
        ChapterMarkup::insertMarked(cursor, QString(), first->title, first->titleItalic, {},
                                    look.title);
    }
    cursor.insertBlock(look.centred, look.base);
    cursor.insertBlock(look.verse, look.base);
}

// One verse's line, ended by the start of the next line. Its text goes in
// with as few insertions as its formats allow.
void insertVerse(QTextCursor &cursor, const ChapterLook &look, int verse, const QString &text,
                 const VerseMarkup *mark)
{
    const QChar lineEnd = QChar::ParagraphSeparator;
    // A heading adds no text between the verses: the verse positions stay
    // one line each. Its line is room above the verse, drawn by the area.
    const bool headed = mark && !mark->heading.isEmpty();
    if (headed) {
        QTextBlockFormat format = look.headed;
        format.setProperty(ChapterMarkup::HeadingProperty, mark->heading);
        cursor.setBlockFormat(format);
    }
    cursor.insertText(QString::number(verse), look.number);
    if (!mark) {
        cursor.insertText(QLatin1String(kNumberGap) + text + lineEnd, look.base);
        return;
    }
    // The paragraph mark is drawn over the middle blank of the gap: the
    // verse's text and offsets stay as they are.
    if (mark->paragraph) {
        cursor.insertText(QStringLiteral(" "), look.base);
        cursor.insertText(QStringLiteral(" "), look.paragraphMark);
    }
    ChapterMarkup::insertMarked(cursor,
                                mark->paragraph ? QStringLiteral(" ") : QLatin1String(kNumberGap),
                                text, mark->italic, mark->red, look.marked, lineEnd);
    // The next line would take the heading over with the format.
    if (headed)
        cursor.setBlockFormat(look.verse);
}

void showStatus(QLabel *const (&panels)[3], const QString &state, const QString &chapters = {},
                const QString &verses = {})
{
    panels[0]->setText(state);
    panels[1]->setText(chapters);
    panels[2]->setText(verses);
}

void insertClosing(QTextCursor &cursor, const ChapterLook &look)
{
    cursor.insertBlock(look.closing, look.base);
    cursor.insertText(QLatin1String(kClosingLine), look.base);
}
} // namespace

const Appearance &TFormBook::appearance() const
{
    static const Appearance designDefaults;
    return m_appearance ? m_appearance->value() : designDefaults;
}

void TFormBook::ComboBoxChapterChange()
{
    QTextEdit *area = RxRichEdit1;
    QTextCursor cursor;
    bool building = false;
    bool cursorSet = false;
    try {
        if (!ComboBoxBook->currentText().isEmpty() && !ComboBoxChapter->currentText().isEmpty()) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            cursorSet = true;
            showStatus(StatusPanel, QStringLiteral("Loading..."));

            BuildComboVerse();
            m_tableBible = &m_scripture->chapterRows(ComboBoxBook->currentIndex() + 1,
                                                     ComboBoxChapter->currentText().toInt());
            m_tableBible->first();
            if (!m_markup)
                m_markup = std::make_unique<ChapterMarkup>();
            const QHash<int, VerseMarkup> marks = m_markup->chapter(
                ComboBoxBook->currentIndex() + 1, ComboBoxChapter->currentText().toInt());

            // A mark belongs to the chapter it was made in.
            forgetMarks();
            building = true;
            startChapter(*area, appearance(), cursor);
            const ChapterLook look = chapterLook(*area, appearance(), m_tableBible->recordCount());
            insertHeading(cursor, look, printTitle(), markOf(marks, 1));
            VerseStarts.fill(0);
            VerseStarts[0] = cursor.position();
            // Rows past the table of positions are not shown rather than
            // written beyond it.
            for (int i = 1; i <= MaxVerses && !m_tableBible->eof(); ++i, m_tableBible->next()) {
                const int verse = m_tableBible->fieldByName(QStringLiteral("verse")).asInteger();
                insertVerse(cursor, look, verse,
                            m_tableBible->fieldByName(QStringLiteral("scripture text")).asString(),
                            markOf(marks, verse));
                VerseStarts[i] = cursor.position();
            }
            insertClosing(cursor, look);
            cursor.endEditBlock();
            ChapterEndPos = cursor.position();
            area->setUpdatesEnabled(true);
            building = false;

            MoveCaretOnVerseChange = true;
            ComboBoxVerse->setCurrentIndex(0);
            ComboBoxVerseChange();
            setCaret(0);
            LastCaretPos = 0;
            QApplication::restoreOverrideCursor();
            cursorSet = false;
        }
        setButtonStates();
        showStatus(StatusPanel, QStringLiteral("Done"),
                   QStringLiteral("Chapter Count: %1").arg(ComboBoxChapter->count()),
                   QStringLiteral("Verse Count: %1").arg(ComboBoxVerse->count()));
    } catch (const std::exception &error) {
        // The area is left blank, as while it was being built, and usable
        // again: an edit block left open would keep every later chapter from
        // being laid out and drawn. The failure is told once the load has
        // unwound.
        if (building) {
            cursor.endEditBlock();
            area->document()->clear();
            area->setTextCursor(QTextCursor(area->document()));
            VerseStarts.fill(0);
            ChapterEndPos = 0;
            LastCaretPos = 0;
            area->setUpdatesEnabled(true);
        }
        StatusPanel[0]->setText(QStringLiteral("Not loaded"));
        ErrorReport::showLater(QString::fromUtf8(error.what()));
    }
    if (cursorSet)
        QApplication::restoreOverrideCursor();
}

void TFormBook::zoomBy(int steps)
{
    if (!m_appearance || steps == 0)
        return;
    Appearance zoomed = m_appearance->value();
    const int before = zoomed.SpinEditZoom;
    zoomed.SpinEditZoom =
        qBound(Appearance::ZoomMinimum, before + steps * kZoomStep, Appearance::ZoomMaximum);
    if (zoomed.SpinEditZoom == before)
        return;
    m_appearance->set(zoomed);
    // The chapter is built again at the new size, the caret and the line at
    // the top of the view where they were.
    const QTextCursor caret = RxRichEdit1->textCursor();
    const int top = RxRichEdit1->cursorForPosition(QPoint(1, 1)).position();
    const int verse = ComboBoxVerse->currentIndex();
    ComboBoxChapterChange();
    MoveCaretOnVerseChange = false;
    ComboBoxVerse->setCurrentIndex(verse);
    ComboBoxVerseChange();
    setCaret(ChapterEndPos);
    setCaret(top);
    QTextCursor restored(RxRichEdit1->document());
    restored.setPosition(qMin(caret.anchor(), ChapterEndPos));
    restored.setPosition(qMin(caret.position(), ChapterEndPos), QTextCursor::KeepAnchor);
    const int scroll = RxRichEdit1->verticalScrollBar()->value();
    RxRichEdit1->setTextCursor(restored);
    RxRichEdit1->verticalScrollBar()->setValue(scroll);
    LastCaretPos = restored.position();
}
