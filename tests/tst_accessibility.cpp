// What a screen reader finds in each window: every control the user can act
// on has a name a listener understands, the reader's buttons tell their keys,
// and a search's count is announced without the focus leaving its place.
#include "about/formabout.h"
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "app/referencebox.h"
#include "dictionary/formebd.h"
#include "documents/formdocument.h"
#include "options/formoptions.h"
#include "reader/formbook.h"
#include "search/formsearch.h"
#include "search/resultsgrid.h"
#include "study/formnote.h"
#include "study/formstudy.h"
#include "study/studycommands.h"
#include "study/studystore.h"
#include "support/sandbox.h"

#include <QAccessible>
#include <QHash>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace {

bool isInteractive(const QAccessibleInterface *iface)
{
    switch (iface->role()) {
    case QAccessible::PushButton:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::Link:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
    case QAccessible::Slider:
        return true;
    default:
        // A control that hands its focus on is reached through the other.
        if (const auto *widget = qobject_cast<const QWidget *>(iface->object());
            widget && widget->focusProxy())
            return false;
        return iface->state().focusable && !iface->state().invisible;
    }
}

// The name a listener hears. A combo box's platform name on Linux is its
// current value, so only a name given to the widget itself counts there.
QString heardName(QAccessibleInterface *iface)
{
    const auto *widget = qobject_cast<const QWidget *>(iface->object());
    if (widget && !widget->accessibleName().isEmpty())
        return widget->accessibleName();
    const QString name = iface->text(QAccessible::Name);
    if (iface->role() == QAccessible::ComboBox || name == iface->text(QAccessible::Value))
        return QString();
    return name;
}

QString describe(QAccessibleInterface *iface)
{
    QObject *object = iface->object();
    QString where;
    for (QObject *o = object; o; o = o->parent()) {
        if (!o->objectName().isEmpty()) {
            where = o->objectName();
            break;
        }
    }
    return QStringLiteral("%1 (role 0x%2, in %3)")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("?"))
        .arg(int(iface->role()), 0, 16)
        .arg(where);
}

// Every interactive control under root whose name is missing, or laid out
// with stray blanks that a listener hears as pauses.
void collectUnnamed(QAccessibleInterface *iface, QStringList &faults, int depth = 0)
{
    if (!iface || depth > 40 || iface->state().invisible)
        return;
    if (isInteractive(iface)) {
        const QString name = heardName(iface);
        if (!name.contains(QRegularExpression(QStringLiteral("\\w"))))
            faults.append(QStringLiteral("unnamed \"%1\": ").arg(name) + describe(iface));
        else if (name != name.simplified())
            faults.append(QStringLiteral("odd blanks \"%1\": ").arg(name) + describe(iface));
    }
    // The rows of a long list or grid are its own business.
    if (iface->role() == QAccessible::List || iface->role() == QAccessible::Table)
        return;
    for (int i = 0; i < iface->childCount(); ++i)
        collectUnnamed(iface->child(i), faults, depth + 1);
}

QStringList unnamedControls(QWidget *root)
{
    QStringList faults;
    collectUnnamed(QAccessible::queryAccessibleInterface(root), faults);
    return faults;
}

QString accessibleName(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyControlIsNamed_data();
    void everyControlIsNamed();
    void readerTextIsNamedByItsCaption();
    void readerButtonsTellTheirKeys_data();
    void readerButtonsTellTheirKeys();
    void searchCountReachesTheResults();
    void referenceBoxAndHistoryAreNamedAndReached();
    void menuLettersAreDistinct();

private:
    std::unique_ptr<Sandbox> m_sandbox;
    std::unique_ptr<TFormMain> m_main;
};

void AccessibilityTest::initTestCase()
{
    m_sandbox = std::make_unique<Sandbox>(true);
    QVERIFY(m_sandbox->isValid());
    m_main = std::make_unique<TFormMain>();
    m_main->show();
    m_main->EditFirstTime->setText(QStringLiteral("False"));
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QTRY_VERIFY(!m_main->TimerStartup->isActive());
}

void AccessibilityTest::cleanupTestCase()
{
    m_main.reset();
    m_sandbox.reset();
}

void AccessibilityTest::everyControlIsNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window with a reader") << QStringLiteral("main");
    QTest::newRow("Find Verses with results") << QStringLiteral("search");
    QTest::newRow("dictionary") << QStringLiteral("dictionary");
    QTest::newRow("document window") << QStringLiteral("document");
    QTest::newRow("Options") << QStringLiteral("options");
    QTest::newRow("About") << QStringLiteral("about");
    QTest::newRow("Bookmarks and Notes") << QStringLiteral("study");
    QTest::newRow("note") << QStringLiteral("note");
}

void AccessibilityTest::everyControlIsNamed()
{
    QFETCH(QString, window);
    QWidget *root = nullptr;
    std::unique_ptr<QWidget> owned;
    if (window == QLatin1String("main")) {
        QTRY_VERIFY(m_main->activeReader());
        root = m_main.get();
    } else if (window == QLatin1String("search")) {
        auto *form = new TFormSearch;
        owned.reset(form);
        form->Edit1->setText(QStringLiteral("Meshach"));
        form->BtnSearchClick();
        QVERIFY(form->StringGridResults->rowCount() > 2);
        root = form;
    } else if (window == QLatin1String("dictionary")) {
        owned = std::make_unique<TFormebd>();
        root = owned.get();
    } else if (window == QLatin1String("study")) {
        m_main->studyCommands()->store()->setBookmark({43, 3, 16}, QStringLiteral("gospel"));
        owned = std::make_unique<TFormStudy>(m_main->studyCommands()->store());
        root = owned.get();
    } else if (window == QLatin1String("note")) {
        owned = std::make_unique<TFormNote>(m_main->studyCommands()->store(),
                                            VerseReference{43, 3, 16});
        root = owned.get();
    } else if (window == QLatin1String("document")) {
        auto *form = new TFormDocument(TFormDocument::Kind::Dictionary);
        owned.reset(form);
        form->setSource(QUrl::fromLocalFile(m_sandbox->filePath(QStringLiteral("ebd/abdi.htm"))));
        // A screen reader names the page and reads its text.
        QAccessibleInterface *text = QAccessible::queryAccessibleInterface(form->BrowserDocument);
        QCOMPARE(text->text(QAccessible::Name), QStringLiteral("Easton's Bible Dictionary - Abdi"));
        QVERIFY(text->textInterface());
        QVERIFY(text->textInterface()->text(0, 40).startsWith(QStringLiteral("Abdi")));
        root = form;
    } else if (window == QLatin1String("options")) {
        root = m_main->FormOptions();
    } else {
        root = m_main->FormAbout();
    }
    if (owned)
        owned->show();
    // The dialogs are walked on both their pages, so no control stays hidden.
    root->show();
    QVERIFY(QTest::qWaitForWindowExposed(root));
    QStringList faults = unnamedControls(root);
    if (auto *options = qobject_cast<TFormOptions *>(root)) {
        options->PageControl1->setCurrentIndex(1);
        faults += unnamedControls(root);
        options->PageControl1->setCurrentIndex(0);
    }
    if (!owned && root != m_main.get())
        root->hide();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void AccessibilityTest::readerTextIsNamedByItsCaption()
{
    TFormBook reader(VerseReference{43, 3, 16});
    QCOMPARE(accessibleName(reader.RxRichEdit1), QStringLiteral("John 3:16"));
    reader.RxSpeedButtonNextClick();
    QCOMPARE(accessibleName(reader.RxRichEdit1), QStringLiteral("John 4:1"));
}

void AccessibilityTest::readerButtonsTellTheirKeys_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("keys");
    QTest::newRow("Previous") << "RxSpeedButtonPrev"
                              << "Previous Chapter"
                              << "Alt+R";
    QTest::newRow("Next") << "RxSpeedButtonNext"
                          << "Next Chapter"
                          << "Alt+N";
    QTest::newRow("Dictionary") << "RxSpeedButtonEBD"
                                << "Easton's Bible Dictionary"
                                << "Alt+D";
}

void AccessibilityTest::readerButtonsTellTheirKeys()
{
    QFETCH(QString, button);
    QFETCH(QString, name);
    QFETCH(QString, keys);
    TFormBook reader(VerseReference{43, 3, 16});
    auto *widget = reader.findChild<QToolButton *>(button);
    QVERIFY(widget);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QAccessibleActionInterface *actions = iface->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
             QStringList{keys});

    // Pressing through the interface is the button's click.
    const QString before = reader.windowTitle();
    actions->doAction(QAccessibleActionInterface::pressAction());
    if (button != QLatin1String("RxSpeedButtonEBD"))
        QVERIFY(reader.windowTitle() != before);
}

void AccessibilityTest::searchCountReachesTheResults()
{
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    form.Edit1->setFocus();
    QTRY_VERIFY(form.Edit1->hasFocus());
    form.Edit1->setText(QStringLiteral("Meshach"));

    QTest::keyClick(form.Edit1, Qt::Key_Return);
    const QString status = form.statusText();
    QVERIFY(status.endsWith(QLatin1String(" Verse(s) Found")));
    QVERIFY(status != QLatin1String("0 Verse(s) Found"));
    QVERIFY(form.Edit1->hasFocus());
    // The grid describes itself by the count.
    QCOMPARE(QAccessible::queryAccessibleInterface(form.StringGridResults)
                 ->text(QAccessible::Description),
             status);
}

QTEST_MAIN(AccessibilityTest)
// The tool bar is named by what it is, not by its section caption; the
// reference box and a reader's Back and Forward are named and on the Tab
// path.
void AccessibilityTest::referenceBoxAndHistoryAreNamedAndReached()
{
    QCOMPARE(accessibleName(m_main->SpeedBar1), QStringLiteral("Main tool bar"));
    QLineEdit *box = m_main->ReferenceBox1->EditReference;
    QCOMPARE(accessibleName(box), QStringLiteral("Go to reference"));
    QTRY_VERIFY(m_main->activeReader());
    TFormBook *reader = m_main->activeReader();
    reader->goTo(43, 3, 16);
    reader->RxSpeedButtonBack->click();
    QCOMPARE(accessibleName(reader->RxSpeedButtonBack), QStringLiteral("Back"));
    QCOMPARE(accessibleName(reader->RxSpeedButtonForward), QStringLiteral("Forward"));

    QList<QWidget *> reached;
    QWidget *widget = box;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled())
            reached.append(widget);
        widget = widget->nextInFocusChain();
    } while (widget != box);
    QVERIFY(reached.contains(box));
    QVERIFY(reached.contains(reader->RxSpeedButtonForward));
}

// Alt, a menu's letter and an item's letter reach one command: two items of
// one menu with the same underlined letter only toggle between them.
void AccessibilityTest::menuLettersAreDistinct()
{
    QList<QMenu *> menus;
    for (QAction *action : m_main->menuBar()->actions()) {
        if (action->menu())
            menus.append(action->menu());
    }
    menus.append(m_main->menuBar()->findChildren<QMenu *>());
    for (QMenu *menu : menus) {
        emit menu->aboutToShow();
        QHash<QChar, QString> owners;
        for (const QAction *action : menu->actions()) {
            const QString text = action->text();
            const int amp = text.indexOf(QLatin1Char('&'));
            if (action->isSeparator() || amp < 0 || amp + 1 >= text.size())
                continue;
            const QChar letter = text.at(amp + 1).toLower();
            QVERIFY2(!owners.contains(letter),
                     qPrintable(QStringLiteral("%1: \"%2\" and \"%3\"")
                                    .arg(menu->title(), owners.value(letter), text)));
            owners.insert(letter, text);
        }
    }
}

#include "tst_accessibility.moc"
