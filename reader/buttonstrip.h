// The reader's button strip in a window narrower than its design: the
// buttons that follow the design's five (Back, Forward, Bookmark) give up
// their captions and close up, so that every one stays in reach; at the
// design's width or more every button stands as designed.
#pragma once

#include <QHash>
#include <QObject>
#include <QRect>

class QToolButton;
class QWidget;

class ButtonStrip : public QObject
{
    Q_OBJECT
public:
    // Watches strip and the buttons placed on it, now and later.
    explicit ButtonStrip(QWidget *strip);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void arrange();

    QWidget *m_strip;
    // Each button's place as it was set when it joined the strip.
    QHash<QToolButton *, QRect> m_design;
};
