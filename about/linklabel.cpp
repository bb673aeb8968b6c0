#include "about/linklabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    m_mouseInside = true;
    emit mouseEnter();
}

void LinkLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    m_mouseInside = false;
    emit mouseLeave();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
