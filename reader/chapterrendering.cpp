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
            StatusPanel[0]->setText(QStringLiteral("Loading..."));
            StatusPanel[1]->clear();
            StatusPanel[2]->clear();

            BuildComboVerse();
            m_tableBible = &m_scripture->chapterRows(ComboBoxBook->currentIndex() + 1,
                                                     ComboBoxChapter->currentText().toInt());
            m_tableBible->first();
            if (!m_markup)
                m_markup = std::make_unique<ChapterMarkup>();
            const QHash<int, VerseMarkup> marks = m_markup->chapter(
                ComboBoxBook->currentIndex() + 1, ComboBoxChapter->currentText().toInt());
            const ChapterMarkup::Formats formats(
                QTextCharFormat(), appearance().CheckBoxRedLetters
                                       ? ChapterMarkup::redOn(area->palette().color(QPalette::Base))
                                       : QColor());

            // The whole build runs with drawing off, so that a long chapter
            // is laid in without intermediate repaints.
            building = true;
            area->setUpdatesEnabled(false);
            QTextDocument *document = area->document();
            // A mark belongs to the chapter it was made in.
            forgetMarks();
            document->clear();
            document->setDefaultFont(zoomed(appearance().PanelSampleText, appearance()).toQFont());
            const qreal indent = kIndentPoints * area->logicalDpiX() / 72.0;
            cursor = QTextCursor(document);
            cursor.beginEditBlock();
            QTextBlockFormat paragraph;
            paragraph.setTextIndent(indent);
            paragraph.setRightMargin(indent);
            paragraph.setAlignment(Qt::AlignHCenter);
            cursor.setBlockFormat(paragraph);
            const QTextCharFormat base;
            cursor.setBlockCharFormat(base);

            // Heading, a psalm's title, and the blank line under them, centred.
            const FontValue heading = zoomed(appearance().PanelSampleBook, appearance());
            cursor.insertText(printTitle(), charFormatOf(heading));
            const auto first = marks.constFind(1);
            if (first != marks.constEnd() && !first->title.isEmpty()) {
                cursor.insertBlock(paragraph, base);
                ChapterMarkup::insertMarked(cursor, QString(), first->title, first->titleItalic, {},
                                            {titleFormatOf(heading), QColor()});
            }
            cursor.insertBlock(paragraph, base);
            const QTextCharFormat numberFormat =
                charFormatOf(zoomed(appearance().PanelSampleVerse, appearance()));
            const qreal hang =
                hangingIndent(numberFormat, document->defaultFont(),
                              int(QString::number(qMax(1, m_tableBible->recordCount())).size()));
            paragraph.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
            paragraph.setLeftMargin(indent + hang);
            paragraph.setTextIndent(-hang);
            cursor.insertBlock(paragraph, base);
            VerseStarts.fill(0);
            VerseStarts[0] = cursor.position();

            QTextCharFormat paragraphMark = base;
            paragraphMark.setProperty(ChapterMarkup::ParagraphMarkProperty, true);
            int i = 1;
            while (!m_tableBible->eof()) {
                // Rows past the table of positions are not shown rather than
                // written beyond it.
                if (i > MaxVerses)
                    break;
                const int verse = m_tableBible->fieldByName(QStringLiteral("verse")).asInteger();
                const QString text =
                    m_tableBible->fieldByName(QStringLiteral("scripture text")).asString();
                cursor.insertText(QString::number(verse), numberFormat);
                const auto mark = marks.constFind(verse);
                if (mark == marks.constEnd()) {
                    cursor.insertText(QLatin1String(kNumberGap) + text, base);
                } else {
                    // The paragraph mark is drawn over the middle blank of the
                    // gap: the verse's text and offsets stay as they are.
                    if (mark->paragraph) {
                        cursor.insertText(QStringLiteral(" "), base);
                        cursor.insertText(QStringLiteral(" "), paragraphMark);
                    }
                    ChapterMarkup::insertMarked(
                        cursor, mark->paragraph ? QStringLiteral(" ") : QLatin1String(kNumberGap),
                        text, mark->italic, mark->red, formats);
                }
                cursor.insertBlock(paragraph, base);
                VerseStarts[i] = cursor.position();
                ++i;
                m_tableBible->next();
            }

            // The blank line stays left-aligned; the closing line is centred.
            paragraph.setAlignment(Qt::AlignHCenter);
            paragraph.setLeftMargin(0);
            paragraph.setTextIndent(indent);
            cursor.insertBlock(paragraph, base);
            cursor.insertText(QLatin1String(kClosingLine), base);
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
        StatusPanel[0]->setText(QStringLiteral("Done"));
        StatusPanel[1]->setText(QStringLiteral("Chapter Count: %1").arg(ComboBoxChapter->count()));
        StatusPanel[2]->setText(QStringLiteral("Verse Count: %1").arg(ComboBoxVerse->count()));
    } catch (const std::exception &error) {
        // The area is left blank, as while it was being built, and usable
        // again: an edit block left open would keep every later chapter from
        // being laid out and drawn. The failure is told once the load has
        // unwound.
        if (building) {
            cursor.endEditBlock();
            area->document()->clear();
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
