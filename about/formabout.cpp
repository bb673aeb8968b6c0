#include "about/formabout.h"

#include "about/linklabel.h"
#include "app/busycursor.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QWindow>

namespace {
// Design data: pixels, "MS Sans Serif" unless stated.
const char *const kCaption = "About...";
constexpr QSize kClientSize(385, 216);
const char *const kFontFamily = "MS Sans Serif";
constexpr int kFontHeight = 11;
const QColor kMaroon(128, 0, 0);
const QColor kNavy(0, 0, 128);
const QColor kHoverBlue(0, 0, 255);

const char *const kIconResource = ":/kelvaro.png";
constexpr QRect kImage1(8, 4, 33, 33);
constexpr QRect kRxLabel1(48, 0, 173, 25);
const char *const kTitleText = "Kelvaro";
constexpr int kTitleFontHeight = 21;
constexpr QRect kLabel10(50, 25, 73, 17);
const char *const kVersionText = "Version " KELVARO_VERSION;
constexpr QRect kLabel6(212, 4, 165, 33);
const char *const kCreditText = "The Kelvaro developers";
constexpr QRect kPanel1(8, 52, 369, 59);
constexpr QRect kLabel7(8, 12, 353, 41);
const char *const kMottoText =
    "All scripture is given by inspiration of God, and is profitable for doctrine, for reproof, "
    "for correction, for instruction in righteousness.  (2 Timothy 3:16)";
constexpr QRect kLabel8(12, 120, 365, 34);
const char *const kTermsText = "Free software under the GNU General Public License, version 3 or "
                               "later. The Bible texts are in the public domain.";
constexpr QRect kRxLabel2(76, 158, 225, 13);
constexpr QRect kRxLabel3(76, 174, 229, 13);
constexpr QRect kLabel9(0, 196, 385, 20);
const char *const kBlessingText = "May God Bless You!";
constexpr QRect kButton1(312, 184, 69, 29);
const char *const kCloseText = "Close";

QFont designFont(int pixelHeight, bool bold = false)
{
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QPixmap iconPicture()
{
    QPixmap picture(QString::fromLatin1(kIconResource));
    if (picture.isNull())
        picture = QApplication::windowIcon().pixmap(32, 32);
    if (!picture.isNull())
        picture = picture.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return picture;
}

void openWithBusyCursor(const QUrl &url)
{
    BusyCursor busy;
    // As with the shell, a missing browser or mail program goes unreported.
    QDesktopServices::openUrl(url);
}
} // namespace

// Kelvaro has no web page or mail address of its own yet; the links appear
// once it has.
const QString TFormAbout::WebAddress;
const QString TFormAbout::EmailAddress;

TFormAbout::TFormAbout(QWidget *parent, const QString &webAddress, const QString &emailAddress)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_webAddress(webAddress), m_emailAddress(emailAddress)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setModal(true);
    setFont(designFont(kFontHeight));
    setFixedSize(kClientSize);

    Image1 = makeLabel(this, "Image1", kImage1, QString());
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(iconPicture());

    RxLabel1 = makeLabel(this, "RxLabel1", kRxLabel1, QString::fromLatin1(kTitleText));
    RxLabel1->setFont(designFont(kTitleFontHeight, true));
    RxLabel1->setWordWrap(true);
    RxLabel1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColor(RxLabel1, kMaroon);

    Label10 = makeLabel(this, "Label10", kLabel10, QString::fromLatin1(kVersionText));
    Label10->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColor(Label10, kMaroon);

    Label6 = makeLabel(this, "Label6", kLabel6, QString::fromLatin1(kCreditText));
    Label6->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label6->setWordWrap(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(kPanel1);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label7 = makeLabel(Panel1, "Label7", kLabel7, QString::fromLatin1(kMottoText));
    Label7->setWordWrap(true);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label8 = makeLabel(this, "Label8", kLabel8, QString::fromLatin1(kTermsText));
    Label8->setWordWrap(true);

    const auto makeLink = [this](const char *name, const QRect &geometry, const QString &text) {
        auto *link = new LinkLabel(this);
        link->setObjectName(QString::fromLatin1(name));
        link->setGeometry(geometry);
        link->setText(text);
        link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        link->setFont(designFont(kFontHeight, true));
        setTextColor(link, kNavy);
        connect(link, &LinkLabel::mouseEnter, this, &TFormAbout::RxLabel3MouseEnter);
        connect(link, &LinkLabel::mouseLeave, this, &TFormAbout::RxLabel3MouseEnter);
        return link;
    };
    RxLabel2 = makeLink("RxLabel2", kRxLabel2, m_webAddress);
    RxLabel3 = makeLink("RxLabel3", kRxLabel3, m_emailAddress);
    // Hidden, a link is out of the focus chain too.
    RxLabel2->setVisible(!m_webAddress.isEmpty());
    RxLabel3->setVisible(!m_emailAddress.isEmpty());
    connect(RxLabel2, &LinkLabel::clicked, this, &TFormAbout::RxLabel2Click);
    connect(RxLabel3, &LinkLabel::clicked, this, &TFormAbout::RxLabel3Click);

    Label9 = makeLabel(this, "Label9", kLabel9, QString::fromLatin1(kBlessingText));
    Label9->setAlignment(Qt::AlignCenter);

    // Created last, so it lies above the docked Label9 that it overlaps.
    Button1 = new QPushButton(QString::fromLatin1(kCloseText), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(kButton1);
    Button1->setDefault(true);
    Button1->setAutoDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TFormAbout::Button1Click);
    // The links can take the focus too; each showing starts on the button, so
    // that Enter closes the window.
    Button1->setFocus();
}

void TFormAbout::RxLabel2Click()
{
    if (!m_webAddress.isEmpty())
        openWithBusyCursor(QUrl(m_webAddress));
}

void TFormAbout::RxLabel3Click()
{
    if (!m_emailAddress.isEmpty())
        openWithBusyCursor(QUrl(QStringLiteral("mailto:") + m_emailAddress));
}

void TFormAbout::RxLabel3MouseEnter()
{
    auto *link = qobject_cast<LinkLabel *>(sender());
    if (!link)
        return;
    setTextColor(link, link->isMouseInside() ? kHoverBlue : kNavy);
}

void TFormAbout::Button1Click()
{
    close();
}

QPoint TFormAbout::centredPosition(const QSize &clientSize, const QMargins &frame,
                                   const QRect &available)
{
    const QSize framed = clientSize.grownBy(frame);
    return available.topLeft() + QPoint((available.width() - framed.width()) / 2 + frame.left(),
                                        (available.height() - framed.height()) / 2 + frame.top());
}

namespace {
// What the platform reports while the window manager is still framing a
// window: nothing, or sizes taken from the wrong window.
bool isFrame(const QMargins &margins)
{
    return !margins.isNull() && margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 &&
           margins.bottom() >= 0;
}

QMargins frameOf(const QWidget *widget)
{
    const QWindow *window = widget ? widget->windowHandle() : nullptr;
    return window && isFrame(window->frameMargins()) ? window->frameMargins() : QMargins();
}
} // namespace

void TFormAbout::centre(const QMargins &frame)
{
    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The client area is placed, not the frame: before the window manager
    // has framed the window Qt cannot tell the two apart.
    setGeometry(QRect(centredPosition(size(), frame, screen->availableGeometry()), size()));
}

void TFormAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A hidden window has no frame to ask about. The frame of the last
    // showing, or on the first the main window's, stands in until the
    // window manager has framed this one.
    if (isFrame(frameOf(this)))
        m_frame = frameOf(this);
    else if (m_frame.isNull() && parentWidget())
        m_frame = frameOf(parentWidget()->window());
    m_frameGuessed = true;
    centre(m_frame);
}

void TFormAbout::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    const QMargins frame = frameOf(this);
    if (!m_frameGuessed || !isVisible() || frame.isNull())
        return;
    m_frameGuessed = false;
    if (frame != m_frame) {
        m_frame = frame;
        centre(m_frame);
    }
}

void TFormAbout::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    Button1->setFocus();
}

void TFormAbout::keyPressEvent(QKeyEvent *event)
{
    // No control answers Escape; the close box and the button still close.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
