// Holders of the appearance settings: a panel that carries the background
// colour and labels that carry a font value. The main window keeps hidden
// ones as the settings in force; the options dialog shows its own as a live
// sample.
#pragma once

#include "fontvalue.h"

#include <QFrame>
#include <QLabel>

class SamplePanel : public QFrame
{
    Q_OBJECT
public:
    explicit SamplePanel(QWidget *parent = nullptr);
    qint32 color() const { return m_color; }
    void setColor(qint32 value);

signals:
    void colorChanged(qint32 value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qint32 m_color = ColorValue::White;
};

class SampleFont : public QLabel
{
    Q_OBJECT
public:
    explicit SampleFont(const QString &caption, const FontValue &font, QWidget *parent = nullptr);
    const FontValue &fontValue() const { return m_font; }
    void setFontValue(const FontValue &font);

signals:
    void fontValueChanged();

private:
    void applyLook();
    FontValue m_font;
};
