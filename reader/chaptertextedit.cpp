#include "chaptertextedit.h"

#include "app/chapteroutput.h"

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
    return ChapterOutput::createMimeData(textCursor());
}
