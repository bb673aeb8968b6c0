#include "chaptertextedit.h"

#include "app/documentoutput.h"
#include "reader/chaptermarkup.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>
#include <QWheelEvent>
#include <QtMath>

#include <algorithm>

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
    // Reading needs no caret: it blinks only once the keys move it.
    setCursorWidth(0);
}

void ChapterTextEdit::keyPressEvent(QKeyEvent *event)
{
    static const int moves[] = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,   Qt::Key_Down,
                                Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    if (std::find(std::begin(moves), std::end(moves), event->key()) != std::end(moves))
        setCursorWidth(qMax(1, style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this)));
    QTextEdit::keyPressEvent(event);
}

// Qt's own zoom would scale only the text without a size of its own, not the
// verse numbers and headings: the reader builds the chapter anew instead.
void ChapterTextEdit::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QTextEdit::wheelEvent(event);
        return;
    }
    m_wheelAngle += event->angleDelta().y();
    const int steps = m_wheelAngle / QWheelEvent::DefaultDeltasPerStep;
    m_wheelAngle -= steps * QWheelEvent::DefaultDeltasPerStep;
    event->accept();
    emit zoomRequested(steps);
}

void ChapterTextEdit::mousePressEvent(QMouseEvent *event)
{
    setCursorWidth(0);
    QTextEdit::mousePressEvent(event);
}

QMimeData *ChapterTextEdit::createMimeDataFromSelection() const
{
    if (m_verseCopy) {
        if (QMimeData *verses = m_verseCopy(this, textCursor()))
            return verses;
    }
    return DocumentOutput::createMimeData(textCursor());
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

void ChapterTextEdit::showWholeTopLine()
{
    QScrollBar *bar = verticalScrollBar();
    document()->documentLayout()->documentSize();
    const int value = bar->value();
    const int top = cursorForPosition(QPoint(1, 0)).position();
    const int cutTop = qFloor(lineTop(top));
    if (cutTop >= value)
        return;
    // The next line down: the first position whose line starts lower.
    const QTextBlock block = document()->findBlock(top);
    const QTextLayout *layout = block.layout();
    int below = -1;
    if (layout) {
        const QTextLine line = layout->lineForTextPosition(top - block.position());
        if (line.isValid() && line.lineNumber() + 1 < layout->lineCount())
            below = block.position() + layout->lineAt(line.lineNumber() + 1).textStart();
        else if (block.next().isValid())
            below = block.next().position();
    }
    const int next = below >= 0 ? qCeil(lineTop(below)) : bar->maximum() + 1;
    bar->setValue(next <= bar->maximum() ? next : cutTop);
}

void ChapterTextEdit::showHeadingAbove(int position)
{
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid() || !block.blockFormat().hasProperty(ChapterMarkup::HeadingProperty))
        return;
    QScrollBar *bar = verticalScrollBar();
    const qreal top = lineTop(block.position());
    if (bar->value() < qFloor(top) || bar->value() > qCeil(top))
        return;
    bar->setValue(qFloor(top - block.blockFormat().topMargin()));
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

// The paragraph marks stand on blanks of the text (see ChapterMarkup): drawn
// here, over the blank, centred on it. The headings between verses are drawn
// in the room their verse's line leaves above it.
void ChapterTextEdit::paintEvent(QPaintEvent *event)
{
    QTextEdit::paintEvent(event);
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRectF shown = QRectF(event->rect()).translated(offset);
    QPainter painter(viewport());
    const QString mark(QChar(0x00B6));
    QTextBlock block = cursorForPosition(event->rect().topLeft()).block();
    for (; block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        if (!layout)
            continue;
        const QRectF box = layout->boundingRect().translated(layout->position());
        const ChapterMarkup::HeadingLine heading =
            ChapterMarkup::headingOf(block, document()->defaultFont());
        if (box.top() - heading.height > shown.bottom())
            break;
        if (!heading.text.isEmpty())
            paintHeading(painter, heading, box.top() - offset.y());
        for (const int position : ChapterMarkup::paragraphMarksOf(block)) {
            const int at = position - block.position();
            const QTextLine line = layout->lineForTextPosition(at);
            if (!line.isValid())
                continue;
            QTextCursor cursor(document());
            cursor.setPosition(position + 1);
            const QTextCharFormat format = cursor.charFormat();
            // A little smaller than the text, so that it stands clear of the
            // words on both sides of the narrow gap.
            QFont font = format.font().resolve(document()->defaultFont());
            if (font.pointSizeF() > 0)
                font.setPointSizeF(font.pointSizeF() * 0.8);
            else if (font.pixelSize() > 0)
                font.setPixelSize(qMax(1, qRound(font.pixelSize() * 0.8)));
            const QFontMetricsF metrics(font);
            // Centred on the whole gap when the mark stands between blanks.
            const QString text = block.text();
            const bool gap = at > 0 && at + 1 < text.size() &&
                             text.at(at - 1) == QLatin1Char(' ') &&
                             text.at(at + 1) == QLatin1Char(' ');
            const qreal left = line.cursorToX(gap ? at - 1 : at);
            const qreal right = line.cursorToX(gap ? at + 2 : at + 1);
            const QPointF baseline(layout->position().x() + (left + right) / 2 -
                                       metrics.horizontalAdvance(mark) / 2,
                                   layout->position().y() + line.y() + line.ascent());
            painter.setFont(font);
            painter.setPen(format.foreground().style() != Qt::NoBrush
                               ? format.foreground().color()
                               : palette().color(QPalette::Text));
            painter.drawText(baseline - offset, mark);
        }
    }
}

void ChapterTextEdit::paintHeading(QPainter &painter, const ChapterMarkup::HeadingLine &heading,
                                   qreal verseTop) const
{
    const qreal margin = document()->documentMargin();
    const qreal x = margin + heading.left - horizontalScrollBar()->value();
    const qreal width = document()->textWidth() - 2 * margin - heading.left - heading.right;
    painter.save();
    painter.setPen(heading.format.foreground().style() != Qt::NoBrush
                       ? heading.format.foreground().color()
                       : palette().color(QPalette::Text));
    painter.setLayoutDirection(Qt::LeftToRight);
    // The letter and the name side by side, centred together.
    const QString letter = heading.letter();
    const QString name = heading.name();
    const qreal letterWidth = QFontMetricsF(heading.letterFont()).horizontalAdvance(letter);
    const qreal nameWidth = QFontMetricsF(heading.font).horizontalAdvance(name);
    const qreal top = verseTop - heading.height;
    qreal left = x + (width - letterWidth - nameWidth) / 2;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextForceLeftToRight;
    if (!letter.isEmpty()) {
        painter.setFont(heading.letterFont());
        painter.drawText(QRectF(left, top, letterWidth, heading.height), flags, letter);
        left += letterWidth;
    }
    painter.setFont(heading.font);
    painter.drawText(QRectF(left, top, nameWidth + 1, heading.height), flags, name);
    painter.restore();
}
