#include "buttonstrip.h"

#include <QChildEvent>
#include <QEvent>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

namespace {
// Where the buttons added after the design's own begin, and how wide each
// is with its glyph alone.
const int kFirstAddedLeft = 382;
const int kCompactWidth = 26;
const int kCompactGap = 1;
} // namespace

ButtonStrip::ButtonStrip(QWidget *strip) : QObject(strip), m_strip(strip)
{
    strip->installEventFilter(this);
}

bool ButtonStrip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_strip) {
        switch (event->type()) {
        case QEvent::Resize:
            arrange();
            break;
        case QEvent::ChildAdded:
            // Placed by its maker after it joins: looked at once that is done.
            QTimer::singleShot(0, this, [this] { arrange(); });
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ButtonStrip::arrange()
{
    int designRight = 0;
    QList<QToolButton *> added;
    for (QToolButton *button :
         m_strip->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!m_design.contains(button)) {
            m_design.insert(button, button->geometry());
            connect(button, &QObject::destroyed, this, [this, button] { m_design.remove(button); });
        }
        const QRect design = m_design.value(button);
        designRight = std::max(designRight, design.right() + 1);
        if (design.left() >= kFirstAddedLeft)
            added.append(button);
    }
    std::sort(added.begin(), added.end(), [this](QToolButton *a, QToolButton *b) {
        return m_design.value(a).left() < m_design.value(b).left();
    });

    const bool compact = m_strip->width() < designRight;
    int left = kFirstAddedLeft;
    for (QToolButton *button : std::as_const(added)) {
        const QRect design = m_design.value(button);
        if (compact) {
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
            button->setGeometry(left, design.top(), kCompactWidth, design.height());
            left += kCompactWidth + kCompactGap;
        } else {
            button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            button->setGeometry(design);
        }
    }
}
