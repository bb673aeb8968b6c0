// A label that tells when the pointer enters or leaves it, knows whether the
// pointer is inside, and reports clicks, or Enter and Space while it has the
// focus: the About window's links.
#pragma once

#include <QLabel>

class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

    // Updated before mouseEnter and mouseLeave are emitted.
    bool isMouseInside() const { return m_mouseInside; }

signals:
    void mouseEnter();
    void mouseLeave();
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_mouseInside = false;
};
