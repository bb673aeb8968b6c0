// The main window's client area as the child windows see it: where a new
// window goes, which one is in front, and the ones already open. The main
// window owns one and hands it to the windows that open others, so that no
// window needs the main window itself.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

class ClientArea : public QObject
{
    Q_OBJECT
public:
    // Lives as long as its parent, the main window that shows area.
    ClientArea(QMdiArea *area, QWidget *mainWindow);

    // The client area of the main window a widget lives in, or null for a
    // widget shown on its own.
    static ClientArea *of(const QWidget *widget);

    QMdiArea *mdiArea() const;
    // The window messages about the child windows are shown over.
    QWidget *mainWindow() const;
    // The active child's widget, or null.
    QWidget *activeChild() const;
    // The widgets of the open child windows, in the order they were opened.
    QList<QWidget *> children() const;
    // The open child of a kind that fits, or null.
    template <typename Window, typename Fits> Window *find(Fits fits) const
    {
        for (QWidget *child : children()) {
            auto *window = qobject_cast<Window *>(child);
            if (window && fits(window))
                return window;
        }
        return nullptr;
    }

    // Adds a child window to the area in its design size, closing with it.
    QMdiSubWindow *addChild(QWidget *child);
    // The ways a new child is placed: a reader at the next place of the
    // cascade, taking over the maximized state of the active window; any
    // other window as the area places it, framed above a maximized one.
    enum class Placement { Framed, Cascaded };
    // Adds, places, shows and activates a new child window.
    QMdiSubWindow *openChild(QWidget *child, Placement placement = Placement::Framed);
    // Brings an open child to the front, restored when it was minimized.
    void activate(QWidget *child);

    // The children in order of use, the active one last and on top.
    void cascade();
    // Qt::Horizontal: side by side in columns; Qt::Vertical: in rows.
    void tile(Qt::Orientation direction);

signals:
    // A child joined the area: its owner connects the child's requests.
    void childAdded(QWidget *child);

private:
    // Goes before this object when the main window closes down.
    QPointer<QMdiArea> m_area;
    // Place of the next reader in the default cascade.
    int m_cascadeIndex = 0;
};
