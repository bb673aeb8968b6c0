#include "chaptertextedit.h"

#include "app/chapteroutput.h"
#include "study/versecopy.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

ChapterTextEdit::ChapterTextEdit(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
    // Read-only, yet with a caret the keys move: the reader follows it.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setAcceptRichText(true);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

QMimeData *ChapterTextEdit::createMimeDataFromSelection() const
{
    if (QMimeData *verses = VerseCopy::forSelection(this, textCursor()))
        return verses;
    return ChapterOutput::createMimeData(textCursor());
}

qreal ChapterTextEdit::lineTop(int position) const
{
    // The layout is built lazily; the whole of it is needed here.
    document()->documentLayout()->documentSize();
    const QTextBlock block = document()->findBlock(position);
    const QTextLayout *layout = block.isValid() ? block.layout() : nullptr;
    if (!layout)
        return 0;
    const QTextLine line = layout->lineForTextPosition(position - block.position());
    return layout->position().y() + (line.isValid() ? line.y() : 0);
}

// A new width wraps the text anew while the scroll offset stays in pixels,
// which would bring another verse to the top and leave the caret out of
// view. The character at the top stays at the top instead, as far up as
// the scroll range allows.
void ChapterTextEdit::resizeEvent(QResizeEvent *event)
{
    QScrollBar *bar = verticalScrollBar();
    document()->documentLayout()->documentSize();
    const int top = cursorForPosition(QPoint(1, 1)).position();
    const qreal offset = lineTop(top) - bar->value();
    QTextEdit::resizeEvent(event);
    bar->setValue(qRound(lineTop(top) - offset));
    emit viewResized();
}
