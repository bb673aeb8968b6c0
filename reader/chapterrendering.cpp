// The chapter load: the verses of the chosen chapter built as formatted text,
// recording where each verse's line starts.

#include "reader/formbook.h"

#include "app/application.h"
#include "app/formmain.h"
#include "options/sampleholders.h"
#include "scripture/dataset.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

namespace {
const char *const kClosingLine = "[End of Chapter]";
const char *const kNumberGap = "   ";
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

FontValue headingFont()
{
    const TFormMain *main = TFormMain::instance();
    return main ? main->PanelSampleBook->fontValue() : FontValue::headingDefault();
}

FontValue verseNumberFont()
{
    const TFormMain *main = TFormMain::instance();
    return main ? main->PanelSampleVerse->fontValue() : FontValue::verseDefault();
}
} // namespace

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
            m_tableBible->setFilter(QStringLiteral("[book] = %1 and [chapter] = %2")
                                        .arg(ComboBoxBook->currentIndex() + 1)
                                        .arg(ComboBoxChapter->currentText()));
            m_tableBible->first();

            // The whole build runs with drawing off, so that a long chapter
            // is laid in without intermediate repaints.
            building = true;
            area->setUpdatesEnabled(false);
            QTextDocument *document = area->document();
            // A mark belongs to the chapter it was made in.
            forgetMarks();
            document->clear();
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

            // Heading and the blank line under it, centred.
            cursor.insertText(printTitle(), charFormatOf(headingFont()));
            cursor.insertBlock(paragraph, base);
            paragraph.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
            cursor.insertBlock(paragraph, base);
            VerseStarts.fill(0);
            VerseStarts[0] = cursor.position();

            const QTextCharFormat numberFormat = charFormatOf(verseNumberFont());
            int i = 1;
            while (!m_tableBible->eof()) {
                // Rows past the table of positions are not shown rather than
                // written beyond it.
                if (i > MaxVerses)
                    break;
                const QString number =
                    QString::number(m_tableBible->fieldByName(QStringLiteral("verse")).asInteger());
                const QString text =
                    m_tableBible->fieldByName(QStringLiteral("scripture text")).asString();
                cursor.insertText(number, numberFormat);
                cursor.insertText(QLatin1String(kNumberGap) + text, base);
                cursor.insertBlock(paragraph, base);
                VerseStarts[i] = cursor.position();
                ++i;
                m_tableBible->next();
            }

            // The blank line stays left-aligned; the closing line is centred.
            paragraph.setAlignment(Qt::AlignHCenter);
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
