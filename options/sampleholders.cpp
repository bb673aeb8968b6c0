#include "sampleholders.h"

#include <QPainter>
#include <QPalette>

SamplePanel::SamplePanel(QWidget *parent) : QFrame(parent) {}

void SamplePanel::setColor(qint32 value)
{
    if (value == m_color)
        return;
    m_color = value;
    update();
    emit colorChanged(value);
}

void SamplePanel::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), ColorValue::toQColor(m_color));
    }
    QFrame::paintEvent(event);
}

SampleFont::SampleFont(const QString &caption, const FontValue &font, QWidget *parent)
    : QLabel(caption, parent), m_font(font)
{
    // The samples sit on the panel and show its colour through them.
    setAutoFillBackground(false);
    applyLook();
}

void SampleFont::setFontValue(const FontValue &font)
{
    if (font == m_font)
        return;
    m_font = font;
    applyLook();
    emit fontValueChanged();
}

void SampleFont::applyLook()
{
    setFont(m_font.toQFont());
    QPalette look = palette();
    look.setColor(QPalette::WindowText, m_font.qColor());
    look.setColor(QPalette::Text, m_font.qColor());
    setPalette(look);
}
