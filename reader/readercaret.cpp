// The caret and the view of the reader's text: display lines, and the tick
// that pulls the caret along when the person scrolls and keeps the verse
// selector and caption on the verse under it.
#include "reader/formbook.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QTextBlock>
#include <QTextLayout>

void TFormBook::setCaret(int position)
{
    QTextCursor cursor(RxRichEdit1->document());
    cursor.setPosition(qBound(0, position, RxRichEdit1->document()->characterCount() - 1));
    RxRichEdit1->setTextCursor(cursor);
    RxRichEdit1->ensureCursorVisible();
}

// The area lays its text out lazily; line queries need all of it laid out.
static void ensureLaidOut(const QTextEdit *area)
{
    area->document()->documentLayout()->documentSize();
}

int TFormBook::lineCount() const
{
    ensureLaidOut(RxRichEdit1);
    int lines = 0;
    for (QTextBlock block = RxRichEdit1->document()->begin(); block.isValid(); block = block.next())
        lines += qMax(1, block.layout() ? block.layout()->lineCount() : 1);
    return lines;
}

int TFormBook::lineOfPosition(int position) const
{
    ensureLaidOut(RxRichEdit1);
    const QTextDocument *document = RxRichEdit1->document();
    int lines = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        const int blockLines = qMax(1, layout ? layout->lineCount() : 1);
        if (position < block.position() + block.length()) {
            if (!layout || layout->lineCount() == 0)
                return lines;
            const QTextLine line = layout->lineForTextPosition(position - block.position());
            return lines + (line.isValid() ? line.lineNumber() : blockLines - 1);
        }
        lines += blockLines;
    }
    return qMax(0, lines - 1);
}

int TFormBook::lineStartPosition(int line) const
{
    const QTextDocument *document = RxRichEdit1->document();
    int lines = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        const int blockLines = qMax(1, layout ? layout->lineCount() : 1);
        if (line < lines + blockLines) {
            if (!layout || layout->lineCount() == 0)
                return block.position();
            return block.position() + layout->lineAt(line - lines).textStart();
        }
        lines += blockLines;
    }
    return qMax(0, document->characterCount() - 1);
}

int TFormBook::firstVisibleLine() const
{
    ensureLaidOut(RxRichEdit1);
    return lineOfPosition(RxRichEdit1->cursorForPosition(QPoint(1, 1)).position());
}

int TFormBook::bottomVisibleLine() const
{
    const QPoint bottom(1, RxRichEdit1->viewport()->height() - 2);
    return lineOfPosition(RxRichEdit1->cursorForPosition(bottom).position());
}

void TFormBook::Timer1Timer()
{
    const QTextCursor cursor = RxRichEdit1->textCursor();
    const int top = firstVisibleLine();
    const int bottom = bottomVisibleLine();
    const int caretLine = lineOfPosition(cursor.selectionStart());

    if (!cursor.hasSelection() &&
        (caretLine != LastCaretLine || bottom != LastBottomLine || top != LastTopLine)) {
        // Scrolling leaves the caret behind: pull it to the top line shown.
        if (caretLine > bottom || caretLine < top) {
            QTextCursor moved(RxRichEdit1->document());
            moved.setPosition(lineStartPosition(top));
            RxRichEdit1->setTextCursor(moved);
        }
        LastCaretLine = caretLine;
        LastBottomLine = bottom;
        LastTopLine = top;
    }

    const int caret = RxRichEdit1->textCursor().position();
    const int start = RxRichEdit1->textCursor().selectionStart();
    if (caret != LastCaretPos) {
        const int verses = qMin(ComboBoxVerse->count(), int(MaxVerses));
        int entry = -1;
        for (int k = 1; k <= verses; ++k) {
            if (start < VerseStarts[k]) {
                entry = k - 1;
                break;
            }
        }
        if (entry < 0 && verses > 0 && start >= VerseStarts[verses])
            entry = verses - 1;
        if (entry >= 0) {
            MoveCaretOnVerseChange = false;
            ComboBoxVerse->setCurrentIndex(entry);
            ComboBoxVerseChange();
        }
        LastCaretPos = caret;
    }
}
