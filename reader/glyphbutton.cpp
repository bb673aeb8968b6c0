#include "glyphbutton.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

GlyphButton::GlyphButton(QWidget *parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setIconSize(QSize(16, 16));
    setFocusPolicy(Qt::NoFocus);
}

QSize GlyphButton::sizeHint() const
{
    return QSize(70, 50);
}

void GlyphButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The frame of a flat button, then the glyph and the wrapped caption.
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const QRect area = rect().adjusted(2, 2, -2, -2);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QPixmap glyph = icon().pixmap(iconSize(), devicePixelRatioF(), mode);
    const QRect glyphRect(area.left() + (area.width() - iconSize().width()) / 2, area.top(),
                          iconSize().width(), iconSize().height());
    painter.drawPixmap(glyphRect, glyph);

    const QRect textRect(area.left(), glyphRect.bottom() + 1, area.width(),
                         area.bottom() - glyphRect.bottom());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect,
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic,
                     text());
}
