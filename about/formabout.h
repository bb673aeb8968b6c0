// The About window: product name, version, motto, credits and the links to
// the publisher's web page and e-mail address. Created hidden at start-up,
// shown modally and reused for the whole run.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class LinkLabel;

class TFormAbout : public QDialog
{
    Q_OBJECT
public:
    // The publisher's addresses: a link whose address is empty is not shown.
    explicit TFormAbout(QWidget *parent = nullptr, const QString &webAddress = WebAddress,
                        const QString &emailAddress = EmailAddress);

    static const QString WebAddress;
    static const QString EmailAddress;

    QLabel *Image1 = nullptr;
    QLabel *RxLabel1 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label6 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    LinkLabel *RxLabel2 = nullptr;
    LinkLabel *RxLabel3 = nullptr;
    QLabel *Label9 = nullptr;
    QPushButton *Button1 = nullptr;

    // Where the client area goes so that the window with its frame is
    // centred in the available area.
    static QPoint centredPosition(const QSize &clientSize, const QMargins &frame,
                                  const QRect &available);

public slots:
    void RxLabel2Click();
    void RxLabel3Click();
    // Both links, entering and leaving: blue while the pointer is inside.
    void RxLabel3MouseEnter();
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void centre(const QMargins &frame);

    QString m_webAddress;
    QString m_emailAddress;

    QMargins m_frame;
    bool m_frameGuessed = false;
};
