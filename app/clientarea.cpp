#include "app/clientarea.h"

#include "app/ownedobject.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

namespace {
// Offset between neighbours in a cascade: one caption height, so that every
// caption above the front window stays in sight.
int cascadeStep(const QMdiSubWindow *window)
{
    return window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
}

// The place of a window of the given size at the cascade's index; a window
// that would reach past the area starts the cascade again at the top-left.
QPoint cascadePlace(int &index, const QSize &size, const QSize &area, int step)
{
    QPoint place(index * step, index * step);
    if (index > 0 &&
        (place.x() + size.width() > area.width() || place.y() + size.height() > area.height())) {
        index = 0;
        place = QPoint(0, 0);
    }
    return place;
}
} // namespace

ClientArea::ClientArea(QMdiArea *area, QWidget *mainWindow) : QObject(mainWindow), m_area(area)
{
    setObjectName(QStringLiteral("ClientArea"));
}

ClientArea *ClientArea::of(const QWidget *widget)
{
    return ownedObjectOf<ClientArea>(widget);
}

QMdiArea *ClientArea::mdiArea() const
{
    return m_area;
}

QWidget *ClientArea::mainWindow() const
{
    return qobject_cast<QWidget *>(parent());
}

QWidget *ClientArea::activeChild() const
{
    QMdiSubWindow *window = m_area ? m_area->currentSubWindow() : nullptr;
    return window ? window->widget() : nullptr;
}

QList<QWidget *> ClientArea::children() const
{
    QList<QWidget *> widgets;
    if (!m_area)
        return widgets;
    for (QMdiSubWindow *window : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (window->widget())
            widgets.append(window->widget());
    }
    return widgets;
}

QMdiSubWindow *ClientArea::addChild(QWidget *child)
{
    const QSize designSize = child->size();
    QMdiSubWindow *window = m_area->addSubWindow(child);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // The frame takes the child's design size plus its own borders.
    const int border =
        window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    window->resize(designSize.width() + 2 * border, designSize.height() + title + border);
    const QWidget *main = mainWindow();
    window->setWindowIcon(child->windowIcon().isNull() && main ? main->windowIcon()
                                                               : child->windowIcon());
    emit childAdded(child);
    return window;
}

QMdiSubWindow *ClientArea::openChild(QWidget *child, Placement placement)
{
    const bool reader = placement == Placement::Cascaded;
    if (m_area->subWindowList().isEmpty())
        m_cascadeIndex = 0;
    QMdiSubWindow *window = addChild(child);
    const QSize area = m_area->viewport()->size();
    // A hidden area has no size of its own yet; it places its children itself
    // when it is shown.
    if (reader && m_area->isVisible() && !area.isEmpty()) {
        // The default placement of a new reader: its design size, as far as
        // the area allows, at the next place of the cascade.
        const QSize size = window->size().boundedTo(area);
        window->setGeometry(
            QRect(cascadePlace(m_cascadeIndex, size, area, cascadeStep(window)), size));
        ++m_cascadeIndex;
    }
    // A reader takes over the maximized state of the active window. The
    // search and dictionary windows are laid out for their own size: they
    // open as framed windows above a maximized reader, which stays as it is.
    m_area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, !reader);
    window->show();
    m_area->setActiveSubWindow(window);
    m_area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, false);
    window->raise();
    return window;
}

void ClientArea::activate(QWidget *child)
{
    auto *frame = qobject_cast<QMdiSubWindow *>(child->parentWidget());
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    m_area->setActiveSubWindow(frame);
}

void ClientArea::cascade()
{
    const QSize area = m_area->viewport()->size();
    int index = 0;
    for (QMdiSubWindow *window : m_area->subWindowList(QMdiArea::ActivationHistoryOrder)) {
        if (window->isHidden() || window->isMinimized())
            continue;
        if (window->isMaximized())
            window->showNormal();
        const QSize size = window->size().boundedTo(area);
        window->setGeometry(QRect(cascadePlace(index, size, area, cascadeStep(window)), size));
        window->raise();
        ++index;
    }
    m_cascadeIndex = index;
}

void ClientArea::tile(Qt::Orientation direction)
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : m_area->subWindowList(QMdiArea::StackingOrder)) {
        if (!window->isMinimized() && window->isVisible())
            windows.append(window);
    }
    if (windows.isEmpty())
        return;
    const QRect area = m_area->viewport()->rect();
    const int count = windows.size();
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow *window = windows.at(count - 1 - i);
        if (window->isMaximized())
            window->showNormal();
        QRect cell;
        if (direction == Qt::Horizontal) {
            const int left = area.width() * i / count;
            const int right = area.width() * (i + 1) / count;
            cell = QRect(left, 0, right - left, area.height());
        } else {
            const int top = area.height() * i / count;
            const int bottom = area.height() * (i + 1) / count;
            cell = QRect(0, top, area.width(), bottom - top);
        }
        window->setGeometry(cell);
    }
}
