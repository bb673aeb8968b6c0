// The About window: texts, geometry, link colours under the pointer, what
// the links open, and which keys close it.
#include "about/formabout.h"
#include "about/linklabel.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QtTest>

namespace {
const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kMaroon(128, 0, 0);
// Addresses of a publisher that has them, in the domain kept for tests.
const QString kWeb = QStringLiteral("https://kelvaro.test/");
const QString kMail = QStringLiteral("kelvaro@kelvaro.test");

QColor textColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText);
}

void enter(QWidget *widget)
{
    QEnterEvent event(QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                      widget->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(widget, &event);
}

void leave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
}
} // namespace

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestAbout : public QObject
{
    Q_OBJECT
private slots:
    void textsAndGeometry();
    void hoverColours();
    void linksOpenWhatTheyShow();
    void linksFollowFromTheKeyboard_data();
    void linksFollowFromTheKeyboard();
    void linksWithoutAnAddressAreLeftOut();
    void enterClosesEscapeDoesNot();
    void reusedAndCentredEachTime();
    void centredWithItsFrame_data();
    void centredWithItsFrame();
};

void TestAbout::textsAndGeometry()
{
    TFormAbout about(nullptr, kWeb, kMail);
    QCOMPARE(about.windowTitle(), QStringLiteral("About..."));
    QCOMPARE(about.size(), QSize(385, 216));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(about.isModal());
    QCOMPARE(about.font().pixelSize(), 11);

    struct Expected
    {
        QWidget *widget;
        QRect geometry;
        QString text;
    };
    const QList<Expected> controls = {
        {about.Image1, QRect(8, 4, 33, 33), QString()},
        {about.RxLabel1, QRect(48, 0, 173, 25), QStringLiteral("Kelvaro")},
        {about.Label10, QRect(50, 25, 73, 17), QStringLiteral("Version " KELVARO_VERSION)},
        {about.Label6, QRect(212, 4, 165, 33), QStringLiteral("The Kelvaro developers")},
        {about.Panel1, QRect(8, 52, 369, 59), QString()},
        {about.Label7, QRect(8, 12, 353, 41),
         QStringLiteral("All scripture is given by inspiration of God, and is profitable for "
                        "doctrine, for reproof, for correction, for instruction in "
                        "righteousness.  (2 Timothy 3:16)")},
        {about.Label8, QRect(12, 120, 365, 34),
         QStringLiteral("Free software under the GNU General Public License, version 3 or later. "
                        "The Bible texts are in the public domain.")},
        {about.RxLabel2, QRect(76, 158, 225, 13), kWeb},
        {about.RxLabel3, QRect(76, 174, 229, 13), kMail},
        {about.Label9, QRect(0, 196, 385, 20), QStringLiteral("May God Bless You!")},
        {about.Button1, QRect(312, 184, 69, 29), QStringLiteral("Close")},
    };
    for (const Expected &control : controls) {
        QVERIFY(control.widget);
        QCOMPARE(control.widget->geometry(), control.geometry);
        if (auto *label = qobject_cast<QLabel *>(control.widget); label && label != about.Image1)
            QCOMPARE(label->text(), control.text);
    }
    QCOMPARE(about.Button1->text(), QStringLiteral("Close"));
    QCOMPARE(about.Label7->parentWidget(), about.Panel1);
    QCOMPARE(about.Panel1->frameShadow(), QFrame::Sunken);
    QVERIFY(about.Label7->wordWrap() && about.Label8->wordWrap() && about.Label6->wordWrap());
    QVERIFY(about.Label6->alignment() & Qt::AlignRight);
    QVERIFY(about.Label9->alignment() & Qt::AlignHCenter);
    QVERIFY(about.RxLabel2->alignment() & Qt::AlignHCenter);

    QCOMPARE(textColour(about.RxLabel1), kMaroon);
    QCOMPARE(about.RxLabel1->font().pixelSize(), 21);
    QVERIFY(about.RxLabel1->font().bold());
    QCOMPARE(textColour(about.Label10), kMaroon);
    QCOMPARE(textColour(about.RxLabel2), kNavy);
    QCOMPARE(textColour(about.RxLabel3), kNavy);
    QVERIFY(about.RxLabel2->font().bold() && about.RxLabel3->font().bold());
    QVERIFY(about.Button1->isDefault());
}

void TestAbout::hoverColours()
{
    TFormAbout about(nullptr, kWeb, kMail);
    about.show();
    enter(about.RxLabel2);
    QCOMPARE(textColour(about.RxLabel2), kBlue);
    QCOMPARE(textColour(about.RxLabel3), kNavy);
    leave(about.RxLabel2);
    QCOMPARE(textColour(about.RxLabel2), kNavy);

    enter(about.RxLabel3);
    QCOMPARE(textColour(about.RxLabel3), kBlue);
    QCOMPARE(textColour(about.RxLabel2), kNavy);
    // Closed with the pointer on the link: navy again at the next leave.
    about.close();
    about.show();
    QCOMPARE(textColour(about.RxLabel3), kBlue);
    leave(about.RxLabel3);
    QCOMPARE(textColour(about.RxLabel3), kNavy);
    about.close();
}

void TestAbout::linksOpenWhatTheyShow()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    TFormAbout about(nullptr, kWeb, kMail);
    about.show();
    QTest::mouseClick(about.RxLabel2, Qt::LeftButton);
    QTest::mouseClick(about.RxLabel3, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(catcher.urls, (QList<QUrl>{QUrl(about.RxLabel2->text()),
                                        QUrl(QStringLiteral("mailto:") + about.RxLabel3->text())}));
    QVERIFY(!QGuiApplication::overrideCursor());
    about.close();
}

// Without an address of its own a link is left out: not shown, not in the
// focus chain, opening nothing.
void TestAbout::linksWithoutAnAddressAreLeftOut()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    TFormAbout about(nullptr, QString(), QString());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QVERIFY(about.RxLabel2->isHidden() && about.RxLabel3->isHidden());
    about.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), about.Button1);
    QTest::keyClick(about.Button1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), about.Button1);
    about.RxLabel2Click();
    about.RxLabel3Click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(catcher.urls, QList<QUrl>());
    QVERIFY(!QGuiApplication::overrideCursor());
    about.close();

    // The program's own window names no placeholder address.
    TFormAbout shipped;
    for (const QLabel *label : shipped.findChildren<QLabel *>())
        QVERIFY2(!label->text().contains(QLatin1String("example")), qPrintable(label->text()));
}

void TestAbout::linksFollowFromTheKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
}

void TestAbout::linksFollowFromTheKeyboard()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    TFormAbout about(nullptr, kWeb, kMail);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    about.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), about.Button1);
    // A click leaves the focus on the button, where Enter closes.
    QTest::mouseClick(about.RxLabel3, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), about.Button1);
    catcher.urls.clear();

    // Tab goes round the two links and the button; each link follows itself.
    QTest::keyClick(about.Button1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), about.RxLabel2);
    QTest::keyClick(about.RxLabel2, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTest::keyClick(about.RxLabel2, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), about.RxLabel3);
    QTest::keyClick(about.RxLabel3, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(catcher.urls, (QList<QUrl>{QUrl(about.RxLabel2->text()),
                                        QUrl(QStringLiteral("mailto:") + about.RxLabel3->text())}));
    QVERIFY(about.isVisible());
    QCOMPARE(QAccessible::queryAccessibleInterface(about.RxLabel2)->role(), QAccessible::Link);

    // Shown again, the window starts on its button, so Enter closes it.
    about.close();
    about.show();
    about.activateWindow();
    QTRY_COMPARE(QApplication::focusWidget(), about.Button1);
    about.close();
}

void TestAbout::enterClosesEscapeDoesNot()
{
    TFormAbout about;
    int result = -1;
    QTimer::singleShot(0, &about, [&about] {
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(about.isVisible());
        QTest::keyClick(&about, Qt::Key_Return);
    });
    // A watchdog, so that a failure does not hang the run.
    QTimer::singleShot(5000, &about, [&about] { about.done(99); });
    result = about.exec();
    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(!about.isVisible());

    // The close box closes it too.
    about.show();
    QVERIFY(about.close());
    QVERIFY(!about.isVisible());
}

void TestAbout::reusedAndCentredEachTime()
{
    TFormAbout about;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (int time = 0; time < 2; ++time) {
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QVERIFY(qAbs(about.frameGeometry().center().x() - screen.center().x()) <= 1);
        QVERIFY(qAbs(about.frameGeometry().center().y() - screen.center().y()) <= 1);
        QCOMPARE(about.RxLabel1->text(), QStringLiteral("Kelvaro"));
        about.move(10, 10);
        about.close();
    }
}

// The client area's place that centres the framed window: the frame counts,
// a title bar pushes the client area down by its height.
void TestAbout::centredWithItsFrame_data()
{
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("client");
    QTest::newRow("no frame") << QMargins() << QRect(0, 0, 1024, 768) << QPoint(319, 276);
    QTest::newRow("title bar and borders")
        << QMargins(1, 20, 1, 1) << QRect(0, 0, 1024, 768) << QPoint(319, 285);
    QTest::newRow("panel above, second screen")
        << QMargins(4, 24, 4, 4) << QRect(1280, 30, 1024, 738) << QPoint(1599, 301);
}

void TestAbout::centredWithItsFrame()
{
    QFETCH(QMargins, frame);
    QFETCH(QRect, available);
    QFETCH(QPoint, client);
    const QPoint placed = TFormAbout::centredPosition(QSize(385, 216), frame, available);
    QCOMPARE(placed, client);
    // The framed window's centre is the area's, to the pixel.
    const QRect framed = QRect(placed, QSize(385, 216)).marginsAdded(frame);
    QVERIFY(qAbs(framed.center().x() - available.center().x()) <= 1);
    QVERIFY(qAbs(framed.center().y() - available.center().y()) <= 1);
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
