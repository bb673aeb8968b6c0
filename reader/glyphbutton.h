// A flat button with a glyph above a word-wrapped caption, as on the
// reader's button strip.
#pragma once

#include <QToolButton>

class GlyphButton : public QToolButton
{
    Q_OBJECT
public:
    explicit GlyphButton(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
