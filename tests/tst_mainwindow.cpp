// The main window: menus, the hand-off to new readers, the session of
// readers across runs, and the single running instance.

#include "app/documentlauncher.h"
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "app/referencebox.h"
#include "app/singleinstance.h"
#include "dictionary/formebd.h"
#include "documents/formdocument.h"
#include "reader/formbook.h"
#include "scripture/dataset.h"
#include "search/formsearch.h"
#include "support/sandbox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include <memory>

namespace {
struct SessionRow
{
    int order, book, chapter, verse;
};

QList<SessionRow> sessionRows(TFormMain &main)
{
    QList<SessionRow> rows;
    Table &table = main.TableSettings();
    for (table.first(); !table.eof(); table.next()) {
        rows.append({table.fieldByName(QStringLiteral("order")).asInteger(),
                     table.fieldByName(QStringLiteral("book")).asInteger(),
                     table.fieldByName(QStringLiteral("chapter")).asInteger(),
                     table.fieldByName(QStringLiteral("verse")).asInteger()});
    }
    return rows;
}

QStringList readerCaptions(const TFormMain &main, QMdiArea::WindowOrder order)
{
    QStringList captions;
    for (QMdiSubWindow *window : main.mdiArea()->subWindowList(order))
        captions.append(window->widget()->windowTitle());
    return captions;
}

// A main window as a run starts it, with the first-run notice already seen.
std::unique_ptr<TFormMain> startMainWindow()
{
    auto main = std::make_unique<TFormMain>();
    main->show();
    main->EditFirstTime->setText(QStringLiteral("False"));
    QTest::qWait(20);
    return main;
}

// Answers every message box while it lives, keeping their texts.
class MessageLog : public QObject
{
public:
    MessageLog()
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->accept();
            }
        });
        timer->start(10);
    }
    QStringList texts;
};

QList<int> storedBooks()
{
    QList<int> books;
    Table table(QStringLiteral("settings.db"));
    table.setIndexFieldNames(QStringLiteral("Order"));
    table.open();
    for (table.first(); !table.eof(); table.next())
        books.append(table.fieldByName(QStringLiteral("book")).asInteger());
    return books;
}

void openAt(TFormMain &main, int book, int chapter, int verse)
{
    main.Open1Click(VerseReference{book, chapter, verse});
}
} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hasTheMenusAndToolBar();
    void emptySessionOpensGenesis();
    void menuAlwaysOpensGenesis();
    void everyOpenRequestOpensItsReader();
    void readerThatCannotBeBuiltIsTold_data();
    void readerThatCannotBeBuiltIsTold();
    void startWithoutTheTextTellsIt();
    void sessionKeepsReadersInOrderOfUse();
    void sessionSkipsSearchAndDictionaryWindows();
    void sessionSkipsOtherWindows_data();
    void sessionSkipsOtherWindows();
    void printIsGreyedForSearchAndDictionary();
    void closeWindowWithoutChildrenDoesNothing();
    void tilesAndCascades();
    void windowMenuListsChildrenWithActiveChecked();
    void readerShortcutsReachTheReader();
    void buttonLettersActOnTheFocusedReader();
    void unreadableSessionRowsStillStart();
    void blankSessionRowsAreSkipped_data();
    void blankSessionRowsAreSkipped();
    void sessionRowThatCannotBeReadIsTold_data();
    void sessionRowThatCannotBeReadIsTold();
    void windowMenuBuildsTileOnce();
    void readersOpenCascadedInTheArea_data();
    void readersOpenCascadedInTheArea();
    void cascadeKeepsSizesInOrderOfUse();
    void fixedSizeWindowsOpenFramedOverMaximizedReader_data();
    void fixedSizeWindowsOpenFramedOverMaximizedReader();
    void secondInstanceHandsOverAndEnds_data();
    void secondInstanceHandsOverAndEnds();
    void deadInstanceNeverBlocksAStart_data();
    void deadInstanceNeverBlocksAStart();
    void storedSessionOutlivesAFailedRestore_data();
    void storedSessionOutlivesAFailedRestore();
    void restoreOpensAtMostAHundredReaders();
    void referenceBoxCompletesBookNames_data();
    void referenceBoxCompletesBookNames();
    void referenceBoxGoesWhereTyped_data();
    void restoreKeepsPlacesAndSizes_data();
    void commandLineTakesReferences_data();
    void commandLineTakesReferences();
    void restoreKeepsPlacesAndSizes();
    void referenceBoxGoesWhereTyped();

private:
    std::unique_ptr<Sandbox> m_sandbox;
};

void MainWindowTest::init()
{
    m_sandbox = std::make_unique<Sandbox>();
    QVERIFY(m_sandbox->isValid());
}

void MainWindowTest::cleanup()
{
    m_sandbox.reset();
}

void MainWindowTest::hasTheMenusAndToolBar()
{
    auto main = startMainWindow();
    QCOMPARE(main->windowTitle(), QStringLiteral("Kelvaro"));
    QStringList menus;
    for (QAction *action : main->menuBar()->actions())
        menus.append(action->text());
    QCOMPARE(menus, (QStringList{"&File", "&Edit", "&Tools", "&Window", "&Reference", "&Help"}));
    QCOMPARE(main->Open1->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(main->Print1->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(main->Find1->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    QCOMPARE(main->Horizonal1->text(), QStringLiteral("&Horizonal"));

    QStringList tools;
    QStringList hints;
    for (QAction *action : main->SpeedBar1->actions()) {
        // The reference box follows the buttons.
        if (action->isSeparator() ||
            main->SpeedBar1->widgetForAction(action) == static_cast<QWidget *>(main->ReferenceBox1))
            continue;
        tools.append(action->objectName());
        hints.append(action->toolTip());
    }
    QCOMPARE(tools, (QStringList{"Open", "Search", "Copybtn", "Printbtn", "Options"}));
    QCOMPARE(hints, (QStringList{"Open New Window", "Find Verses", "Copy to Clipboard",
                                 "Print Chapter", "Options"}));
    QCOMPARE(main->edithtmlviewer->text(), QStringLiteral("<built-in>"));
}

void MainWindowTest::emptySessionOpensGenesis()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder), QStringList{"Genesis 1:1"});
    QVERIFY(!main->TimerStartup->isActive());
    QTest::qWait(50);
    QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
}

void MainWindowTest::menuAlwaysOpensGenesis()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    openAt(*main, 43, 3, 16);
    main->Open1->trigger();
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder),
             (QStringList{"Genesis 1:1", "John 3:16", "Genesis 1:1"}));
    QCOMPARE(main->activeReader()->windowTitle(), QStringLiteral("Genesis 1:1"));
}

void MainWindowTest::everyOpenRequestOpensItsReader()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    // Requests that come within one tick are not merged: each opens its
    // reader at once, the last one in front.
    main->HandOff()->OpenBookRequest(VerseReference{19, 23, 1});
    main->HandOff()->OpenBookRequest(VerseReference{43, 3, 16});
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder),
             (QStringList{"Genesis 1:1", "Psalms 23:1", "John 3:16"}));
    QCOMPARE(main->activeReader()->windowTitle(), QStringLiteral("John 3:16"));
    QCOMPARE(main->HandOff()->PendingReference().Book, 43);
}

// A reader whose text cannot be opened is told, naming the table, however it
// was asked for; the main window and the readers it has stay.
void MainWindowTest::readerThatCannotBeBuiltIsTold_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("menu") << true;
    QTest::newRow("request") << false;
}

// An empty session opens Genesis 1:1; when the text cannot be opened that
// is told and the main window stays, without a reader.
void MainWindowTest::startWithoutTheTextTellsIt()
{
    QVERIFY(QFile::rename(m_sandbox->filePath("kjvbible.db"), m_sandbox->filePath("aside.db")));
    Engine::reset();
    MessageLog log;
    auto main = startMainWindow();
    QTRY_VERIFY(!main->TimerStartup->isActive());
    QTRY_COMPARE(log.texts.size(), 1);
    QVERIFY2(log.texts.first().contains(QStringLiteral("kjvbible"), Qt::CaseInsensitive),
             qPrintable(log.texts.first()));
    QVERIFY(main->isVisible());
    QVERIFY(main->mdiArea()->subWindowList().isEmpty());
    QVERIFY(QFile::rename(m_sandbox->filePath("aside.db"), m_sandbox->filePath("kjvbible.db")));
    Engine::reset();
}

void MainWindowTest::readerThatCannotBeBuiltIsTold()
{
    QFETCH(bool, fromMenu);
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    QVERIFY(QFile::rename(m_sandbox->filePath("kjvbible.db"), m_sandbox->filePath("aside.db")));
    Engine::reset();
    MessageLog log;
    if (fromMenu)
        main->Open1->trigger();
    else
        main->HandOff()->OpenBookRequest(VerseReference{43, 3, 16});
    QCOMPARE(log.texts.size(), 1);
    QVERIFY2(log.texts.first().contains(QStringLiteral("kjvbible"), Qt::CaseInsensitive),
             qPrintable(log.texts.first()));
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder), QStringList{"Genesis 1:1"});
    QVERIFY(QFile::rename(m_sandbox->filePath("aside.db"), m_sandbox->filePath("kjvbible.db")));
    Engine::reset();
}

void MainWindowTest::sessionKeepsReadersInOrderOfUse()
{
    {
        auto main = startMainWindow();
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
        main->mdiArea()->closeAllSubWindows();
        openAt(*main, 1, 3, 5);    // A
        openAt(*main, 43, 3, 16);  // B
        openAt(*main, 66, 22, 21); // C
        QList<QMdiSubWindow *> windows = main->mdiArea()->subWindowList(QMdiArea::CreationOrder);
        // Used in the order B, A, C.
        main->mdiArea()->setActiveSubWindow(windows.at(1));
        main->mdiArea()->setActiveSubWindow(windows.at(0));
        main->mdiArea()->setActiveSubWindow(windows.at(2));
        main->SaveandCloseBooks();
        QVERIFY(main->mdiArea()->subWindowList().isEmpty());
        const QList<SessionRow> rows = sessionRows(*main);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0).order, 0);
        QCOMPARE(rows.at(0).book, 43);
        QCOMPARE(rows.at(1).book, 1);
        QCOMPARE(rows.at(1).chapter, 3);
        QCOMPARE(rows.at(1).verse, 5);
        QCOMPARE(rows.at(2).order, 2);
        QCOMPARE(rows.at(2).book, 66);
    }
    // The next run opens them in that order, the last used on top.
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 3);
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder),
             (QStringList{"John 3:16", "Genesis 3:5", "Revelation 22:21"}));
    QCOMPARE(main->activeReader()->windowTitle(), QStringLiteral("Revelation 22:21"));

    // Exit with no reader leaves the table empty, and Genesis comes back.
    main->mdiArea()->closeAllSubWindows();
    main->close();
    main.reset();
    main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder), QStringList{"Genesis 1:1"});
}

// Only readers have a place to be written as: a document or list window
// open at exit is neither a row of the session nor closed with the readers.
void MainWindowTest::sessionSkipsOtherWindows_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("help in the built-in window") << "HelpwiththisProgram1";
    QTest::newRow("commentary in the built-in window") << "MathewHenrysConciseCommentary1";
    QTest::newRow("translators' notes in the built-in window") << "AbouttheKingJamesVersion1";
    QTest::newRow("bookmarks and notes") << "BookmarksandNotes1";
}

void MainWindowTest::sessionSkipsOtherWindows()
{
    QFETCH(QString, command);
    m_sandbox.reset();
    m_sandbox = std::make_unique<Sandbox>(true); // with the documents
    QVERIFY(m_sandbox->isValid());
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    main->edithtmlviewer->setText(DocumentLauncher::builtInSetting());
    openAt(*main, 43, 3, 16);
    auto *action = main->findChild<QAction *>(command);
    QVERIFY(action);
    action->trigger();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 3);
    QWidget *other = main->activeChild();
    QVERIFY(other && !qobject_cast<TFormBook *>(other));
    main->SaveandCloseBooks();
    const QList<SessionRow> rows = sessionRows(*main);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).book, 1);
    QCOMPARE(rows.at(1).book, 43);
    QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(main->mdiArea()->subWindowList().at(0)->widget(), other);
}

void MainWindowTest::sessionSkipsSearchAndDictionaryWindows()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    openAt(*main, 43, 1, 1);
    main->Find1Click();
    main->EastonsBibleDictionary1Click();
    QCOMPARE(main->mdiArea()->subWindowList().size(), 4);
    main->SaveandCloseBooks();
    const QList<SessionRow> rows = sessionRows(*main);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).order, 0);
    QCOMPARE(rows.at(1).order, 1);
    QCOMPARE(rows.at(1).book, 43);
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder),
             (QStringList{"Find Verses", "Easton's Bible Dictionary"}));

    // The options dialog's way: save, then the start-up timer reopens them.
    main->TimerStartup->start();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 4);
    QCOMPARE(main->activeReader()->windowTitle(), QStringLiteral("John 1:1"));
}

void MainWindowTest::printIsGreyedForSearchAndDictionary()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    QVERIFY(main->Print1->isEnabled());
    main->Find1Click();
    QVERIFY(!main->Print1->isEnabled());
    main->Open1Click();
    QVERIFY(main->Print1->isEnabled());
    main->EastonsBibleDictionary1Click();
    QVERIFY(!main->Print1->isEnabled());
    QVERIFY(main->activeReader() == nullptr);
}

void MainWindowTest::closeWindowWithoutChildrenDoesNothing()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    main->Close1Click();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 0);
    main->Close1Click();
    QCOMPARE(main->mdiArea()->subWindowList().size(), 0);
    main->Vertical1Click();
    main->Cascade1Click();
}

void MainWindowTest::tilesAndCascades()
{
    auto main = startMainWindow();
    main->resize(900, 700);
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    main->Open1Click();
    main->Open1Click();
    const int width = main->mdiArea()->viewport()->width();
    const int height = main->mdiArea()->viewport()->height();
    main->Vertical1Click();
    for (QMdiSubWindow *window : main->mdiArea()->subWindowList()) {
        QCOMPARE(window->height(), height);
        QVERIFY(qAbs(window->width() - width / 3) <= 1);
    }
    main->Horizonal1Click();
    for (QMdiSubWindow *window : main->mdiArea()->subWindowList()) {
        QCOMPARE(window->width(), width);
        QVERIFY(qAbs(window->height() - height / 3) <= 1);
    }
}

void MainWindowTest::windowMenuListsChildrenWithActiveChecked()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    openAt(*main, 43, 3, 16);
    main->Find1Click();
    QMenu *window = main->menuBar()->findChild<QMenu *>(QStringLiteral("Window1"));
    QVERIFY(window);
    emit window->aboutToShow();
    QStringList entries;
    QString checked;
    for (QAction *action : window->actions()) {
        if (!action->isCheckable())
            continue;
        entries.append(action->text());
        if (action->isChecked())
            checked = action->text();
    }
    QCOMPARE(entries, (QStringList{"&1 Genesis 1:1", "&2 John 3:16", "&3 Find Verses"}));
    QCOMPARE(checked, QStringLiteral("&3 Find Verses"));

    // Choosing an entry activates that window.
    for (QAction *action : window->actions()) {
        if (action->text() == QLatin1String("&2 John 3:16"))
            action->trigger();
    }
    QCOMPARE(main->activeChild()->windowTitle(), QStringLiteral("John 3:16"));
}

void MainWindowTest::buttonLettersActOnTheFocusedReader()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    main->activateWindow();
    openAt(*main, 43, 3, 1);
    TFormBook *first = qobject_cast<TFormBook *>(
        main->mdiArea()->subWindowList(QMdiArea::CreationOrder).at(0)->widget());
    TFormBook *second = main->activeReader();
    QVERIFY(first && second && first != second);
    second->RxRichEdit1->setFocus();

    // Alt+N with two readers open turns the page of the focused one only.
    QTest::keyClick(second->RxRichEdit1, Qt::Key_N, Qt::AltModifier);
    QCOMPARE(second->printTitle(), QStringLiteral("John 4"));
    QCOMPARE(first->printTitle(), QStringLiteral("Genesis 1"));
    // Alt+R is the reader's Previous, not the Reference menu.
    QTest::keyClick(second->RxRichEdit1, Qt::Key_R, Qt::AltModifier);
    QCOMPARE(second->printTitle(), QStringLiteral("John 3"));
}

void MainWindowTest::readerShortcutsReachTheReader()
{
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    main->activateWindow();
    TFormBook *reader = main->activeReader();
    QVERIFY(reader);
    reader->RxRichEdit1->setFocus();
    QTextCursor cursor(reader->RxRichEdit1->document());
    cursor.setPosition(reader->verseStart(0) + 4);
    cursor.setPosition(reader->verseStart(0) + 6, QTextCursor::KeepAnchor);
    reader->RxRichEdit1->setTextCursor(cursor);

    // Ctrl+C in the text area copies once, whichever of the two copy
    // commands takes it.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(reader->RxRichEdit1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("In"));

    // Ctrl+D looks the selection up in a new dictionary window.
    QTest::keyClick(reader->RxRichEdit1, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(main->mdiArea()->subWindowList().size(), 2);
    QCOMPARE(main->activeChild()->windowTitle(), QStringLiteral("Easton's Bible Dictionary"));
}

void MainWindowTest::unreadableSessionRowsStillStart()
{
    {
        auto main = startMainWindow();
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
        Table &table = main->TableSettings();
        table.beginTransaction();
        table.emptyTable();
        table.append();
        table.setField(QStringLiteral("order"), 0);
        table.setField(QStringLiteral("book"), QString());
        table.post();
        table.append();
        table.setField(QStringLiteral("order"), 1);
        table.setField(QStringLiteral("book"), 400);
        table.setField(QStringLiteral("chapter"), 1);
        table.setField(QStringLiteral("verse"), 1);
        table.post();
        table.commit();
        main->mdiArea()->closeAllSubWindows();
        // Leave without saving, as a stopped process would.
        main->TableSettings().close();
    }
    auto main = startMainWindow();
    QTRY_VERIFY(!main->TimerStartup->isActive());
    QTest::qWait(50);
    QVERIFY(!main->mdiArea()->subWindowList().isEmpty());
    QVERIFY(main->mdiArea()->subWindowList().size() <= 2);
}

void MainWindowTest::blankSessionRowsAreSkipped_data()
{
    QTest::addColumn<QVariantList>("place");
    QTest::addColumn<bool>("withGoodRow");
    QTest::addColumn<QStringList>("captions");
    const QVariant blank;
    const QStringList john{QStringLiteral("John 3:16")};
    QTest::newRow("book blank") << QVariantList{blank, 3, 16} << true << john;
    QTest::newRow("chapter blank") << QVariantList{43, blank, 16} << true << john;
    QTest::newRow("verse blank") << QVariantList{43, 3, blank} << true << john;
    QTest::newRow("book empty text") << QVariantList{QString(""), 3, 16} << true << john;
    QTest::newRow("no row readable")
        << QVariantList{43, blank, blank} << false << QStringList{QStringLiteral("Genesis 1:1")};
}

void MainWindowTest::blankSessionRowsAreSkipped()
{
    QFETCH(QVariantList, place);
    QFETCH(bool, withGoodRow);
    QFETCH(QStringList, captions);
    {
        auto main = startMainWindow();
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
        main->mdiArea()->closeAllSubWindows();
        Table &table = main->TableSettings();
        table.beginTransaction();
        table.emptyTable();
        const QVariantList good{43, 3, 16};
        int order = 0;
        for (const QVariantList &row :
             withGoodRow ? QList<QVariantList>{place, good} : QList<QVariantList>{place}) {
            table.append();
            table.setField(QStringLiteral("order"), order++);
            table.setField(QStringLiteral("book"), row.at(0));
            table.setField(QStringLiteral("chapter"), row.at(1));
            table.setField(QStringLiteral("verse"), row.at(2));
            table.post();
        }
        table.commit();
        table.close();
    }
    auto main = startMainWindow();
    QTRY_VERIFY(!main->TimerStartup->isActive());
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder), captions);
}

// A place that is no number is passed over like a blank one, but told once,
// by the table's file; the readers of the other rows still open, in order.
void MainWindowTest::sessionRowThatCannotBeReadIsTold_data()
{
    QTest::addColumn<QVariantList>("bad");
    QTest::newRow("text for a book") << QVariantList{QStringLiteral("John"), 3, 16};
    QTest::newRow("chapter past 32 bits") << QVariantList{43, qlonglong(1) << 40, 16};
    QTest::newRow("verse as a fraction") << QVariantList{43, 3, QStringLiteral("1.5x")};
}

void MainWindowTest::sessionRowThatCannotBeReadIsTold()
{
    QFETCH(QVariantList, bad);
    QString file;
    {
        auto main = startMainWindow();
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
        main->mdiArea()->closeAllSubWindows();
        Table &table = main->TableSettings();
        file = QDir::toNativeSeparators(table.filePath());
        table.beginTransaction();
        table.emptyTable();
        int order = 0;
        for (const QVariantList &row :
             {QVariantList{43, 3, 16}, bad, bad, QVariantList{19, 23, 1}}) {
            table.append();
            table.setField(QStringLiteral("order"), order++);
            table.setField(QStringLiteral("book"), row.at(0));
            table.setField(QStringLiteral("chapter"), row.at(1));
            table.setField(QStringLiteral("verse"), row.at(2));
            table.post();
        }
        table.commit();
        table.close();
    }
    MessageLog log;
    auto main = startMainWindow();
    QTRY_VERIFY(!main->TimerStartup->isActive());
    QTRY_COMPARE(log.texts.size(), 1);
    QTest::qWait(50);
    QCOMPARE(log.texts.size(), 1);
    QVERIFY2(log.texts.first().contains(file) &&
                 log.texts.first().contains(QStringLiteral("2 row")),
             qPrintable(log.texts.first()));
    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder),
             QStringList({QStringLiteral("John 3:16"), QStringLiteral("Psalms 23:1")}));
}

void MainWindowTest::windowMenuBuildsTileOnce()
{
    auto main = startMainWindow();
    QMenu *window = main->menuBar()->findChild<QMenu *>(QStringLiteral("Window1"));
    QVERIFY(window);
    for (int i = 0; i < 3; ++i)
        emit window->aboutToShow();
    const QList<QMenu *> tiles = window->findChildren<QMenu *>();
    QCOMPARE(tiles.size(), 1);
    QCOMPARE(tiles.at(0)->objectName(), QStringLiteral("Tile1"));
    QCOMPARE(window->actions().at(0)->menu(), tiles.at(0));
    QCOMPARE(tiles.at(0)->actions(), (QList<QAction *>{main->Vertical1, main->Horizonal1}));
}

void MainWindowTest::readersOpenCascadedInTheArea_data()
{
    QTest::addColumn<bool>("restored");
    QTest::newRow("session restore") << true;
    QTest::newRow("Open New Window") << false;
}

// Each reader at its design size, one caption height below and right of the
// one before, all of them inside the client area.
void MainWindowTest::readersOpenCascadedInTheArea()
{
    QFETCH(bool, restored);
    if (restored) {
        auto main = startMainWindow();
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
        openAt(*main, 43, 3, 16);
        openAt(*main, 1, 1, 1);
        main->SaveandCloseBooks();
    }
    auto main = startMainWindow();
    QTRY_VERIFY(!main->TimerStartup->isActive());
    if (!restored) {
        main->mdiArea()->closeAllSubWindows();
        for (int i = 0; i < 3; ++i)
            main->Open1Click();
    }
    const QList<QMdiSubWindow *> windows = main->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    QCOMPARE(windows.size(), 3);
    const QRect area = main->mdiArea()->viewport()->rect();
    const QPoint step = windows.at(1)->pos() - windows.at(0)->pos();
    QVERIFY(step.x() > 0);
    QCOMPARE(step.y(), step.x());
    for (int i = 0; i < windows.size(); ++i) {
        QCOMPARE(windows.at(i)->widget()->size(), QSize(591, 416));
        QCOMPARE(windows.at(i)->pos(), step * i);
        QVERIFY(area.contains(windows.at(i)->geometry()));
    }
}

void MainWindowTest::cascadeKeepsSizesInOrderOfUse()
{
    auto main = startMainWindow();
    main->showNormal();
    main->resize(1000, 800);
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    openAt(*main, 43, 3, 16);
    main->Find1Click();
    QList<QMdiSubWindow *> windows = main->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    windows.at(1)->resize(700, 500);
    QList<QSize> sizes;
    for (QMdiSubWindow *window : windows)
        sizes.append(window->size());
    // Used in the order search, Genesis, John.
    for (int i : {2, 0, 1})
        main->mdiArea()->setActiveSubWindow(windows.at(i));

    main->Cascade1Click();
    for (int i = 0; i < windows.size(); ++i)
        QCOMPARE(windows.at(i)->size(), sizes.at(i));
    const QPoint step = windows.at(0)->pos() - windows.at(2)->pos();
    QVERIFY(step.x() > 0);
    QCOMPARE(windows.at(2)->pos(), QPoint(0, 0));
    QCOMPARE(windows.at(1)->pos(), step * 2);
    QCOMPARE(main->mdiArea()->subWindowList(QMdiArea::StackingOrder).constLast(), windows.at(1));
    QCOMPARE(main->mdiArea()->activeSubWindow(), windows.at(1));
}

void MainWindowTest::fixedSizeWindowsOpenFramedOverMaximizedReader_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QSize>("size");
    QTest::newRow("look-up") << QStringLiteral("look-up") << QSize(309, 329);
    QTest::newRow("dictionary") << QStringLiteral("dictionary") << QSize(309, 329);
    QTest::newRow("find verses") << QStringLiteral("find") << QSize(457, 348);
}

void MainWindowTest::fixedSizeWindowsOpenFramedOverMaximizedReader()
{
    QFETCH(QString, command);
    QFETCH(QSize, size);
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    QMdiSubWindow *reader = main->mdiArea()->currentSubWindow();
    reader->showMaximized();
    if (command == QLatin1String("look-up"))
        main->activeReader()->LookUpWord1Click();
    else if (command == QLatin1String("dictionary"))
        main->EastonsBibleDictionary1Click();
    else
        main->Find1Click();
    QMdiSubWindow *opened = main->mdiArea()->currentSubWindow();
    QVERIFY(opened != reader);
    QVERIFY(!opened->isMaximized());
    QCOMPARE(opened->size(), size);
    QVERIFY(reader->isMaximized());
}

void MainWindowTest::secondInstanceHandsOverAndEnds_data()
{
    QTest::addColumn<bool>("inboxBlocked");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("handed over") << false << 0;
    QTest::newRow("param.txt a folder") << true << 1;
}

void MainWindowTest::secondInstanceHandsOverAndEnds()
{
    QFETCH(bool, inboxBlocked);
    QFETCH(int, exitCode);
    // The program, copied into the sandbox so that its param.txt lands there,
    // started through a link from another folder, without any display.
    const QString program = m_sandbox->filePath(QStringLiteral("kelvaro"));
    QVERIFY(QFile::copy(Sandbox::programDir() + QStringLiteral("/kelvaro"), program));
    QTemporaryDir elsewhere;
    const QString link = QDir(elsewhere.path()).filePath(QStringLiteral("kelvaro"));
    QVERIFY(QFile::link(program, link));
    if (inboxBlocked)
        QVERIFY(QDir(m_sandbox->path()).mkdir(QStringLiteral("param.txt")));

    SingleInstance running;
    QCOMPARE(running.acquire(m_sandbox->path()), SingleInstance::Outcome::Acquired);

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(elsewhere.path());
    second.start(link, {QStringLiteral("John+3:16"), QStringLiteral("ignored")});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), exitCode);
    QCOMPARE(
        QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList{QStringLiteral("kelvaro")});

    if (inboxBlocked) {
        const QString error = QString::fromLocal8Bit(second.readAllStandardError());
        QVERIFY2(error.contains(m_sandbox->filePath(QStringLiteral("param.txt"))),
                 qPrintable(error));
        return;
    }
    QFile param(m_sandbox->filePath(QStringLiteral("param.txt")));
    QVERIFY(param.open(QIODevice::ReadOnly));
    QCOMPARE(param.readAll(), QByteArray("John+3:16\r\n"));
}

// A run that could not show the stored session leaves it for the next run:
// a missing table the readers need, or the session table locked at start.
void MainWindowTest::storedSessionOutlivesAFailedRestore_data()
{
    QTest::addColumn<QString>("failing");
    QTest::newRow("verse table missing") << "kjvbible.db";
    QTest::newRow("catalogue missing") << "Chapters.db";
    QTest::newRow("session table locked") << "settings.db";
}

void MainWindowTest::storedSessionOutlivesAFailedRestore()
{
    QFETCH(QString, failing);
    {
        auto main = startMainWindow();
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
        main->mdiArea()->closeAllSubWindows();
        openAt(*main, 43, 3, 16);
        openAt(*main, 66, 22, 21);
        openAt(*main, 1, 3, 5);
        main->close();
    }
    Engine::reset();
    const QString path = m_sandbox->filePath(failing);
    const QString locker = QStringLiteral("locker");
    const bool locking = failing == QLatin1String("settings.db");
    if (locking) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), locker);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")));
        QVERIFY(query.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    } else {
        QVERIFY(QFile::rename(path, path + QStringLiteral(".away")));
    }
    {
        MessageLog log;
        auto main = startMainWindow();
        QTRY_VERIFY(!main->TimerStartup->isActive());
        QTRY_VERIFY(!log.texts.isEmpty());
        QTest::qWait(50);
        for (const QString &text : std::as_const(log.texts))
            QVERIFY2(text.contains(path), qPrintable(text));
        // Freed before the exit.
        if (locking) {
            QSqlDatabase::database(locker).close();
            QSqlDatabase::removeDatabase(locker);
        } else {
            QVERIFY(QFile::rename(path + QStringLiteral(".away"), path));
        }
        main->close();
        QVERIFY(main->mdiArea()->subWindowList().isEmpty());
    }
    Engine::reset();
    QCOMPARE(storedBooks(), (QList<int>{43, 66, 1}));
}

// A session table of many rows opens the first hundred readers, with one
// message naming the table.
void MainWindowTest::restoreOpensAtMostAHundredReaders()
{
    {
        auto main = startMainWindow();
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
        Table &table = main->TableSettings();
        table.beginTransaction();
        table.emptyTable();
        for (int order = 0; order < 150; ++order) {
            table.append();
            table.setField(QStringLiteral("order"), order);
            table.setField(QStringLiteral("book"), 19);
            table.setField(QStringLiteral("chapter"), 117);
            table.setField(QStringLiteral("verse"), 1 + order % 2);
            table.post();
        }
        table.commit();
        main->mdiArea()->closeAllSubWindows();
        main->TableSettings().close();
    }
    MessageLog log;
    auto main = startMainWindow();
    QTRY_VERIFY(!main->TimerStartup->isActive());
    QTRY_COMPARE(log.texts.size(), 1);
    QTest::qWait(50);
    QCOMPARE(log.texts.size(), 1);
    QVERIFY2(log.texts.first().contains(m_sandbox->filePath(QStringLiteral("settings.db"))),
             qPrintable(log.texts.first()));
    QCOMPARE(main->mdiArea()->subWindowList().size(), 100);
}

void MainWindowTest::deadInstanceNeverBlocksAStart_data()
{
    QTest::addColumn<QString>("owner");
    QTest::addColumn<int>("outcome");
    QTest::newRow("junk lock file") << "junk" << int(SingleInstance::Outcome::Acquired);
    QTest::newRow("owner running") << "running" << int(SingleInstance::Outcome::Running);
    QTest::newRow("owner killed") << "killed" << int(SingleInstance::Outcome::Acquired);
}

void MainWindowTest::deadInstanceNeverBlocksAStart()
{
    QFETCH(QString, owner);
    QFETCH(int, outcome);
    const QString folder = m_sandbox->path();
    const QString lock = SingleInstance::lockPath(folder);
    QFile junk(lock);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a process id\n");
    junk.close();

    // Another process takes the lock and holds it until it ends.
    QProcess holder;
    if (owner != QLatin1String("junk")) {
        holder.start(QStringLiteral("python3"), {QStringLiteral("-c"),
                                                 QStringLiteral("import fcntl, sys, time\n"
                                                                "f = open(sys.argv[1], 'a')\n"
                                                                "fcntl.flock(f, fcntl.LOCK_EX)\n"
                                                                "print('locked', flush=True)\n"
                                                                "time.sleep(60)\n"),
                                                 lock});
        QByteArray said;
        while (!said.contains("locked") && holder.waitForReadyRead(10000))
            said += holder.readAllStandardOutput();
        QVERIFY(said.contains("locked"));
        if (owner == QLatin1String("killed")) {
            holder.kill();
            QVERIFY(holder.waitForFinished(10000));
        }
    }
    SingleInstance instance;
    QCOMPARE(int(instance.acquire(folder)), outcome);
    if (holder.state() != QProcess::NotRunning) {
        holder.kill();
        holder.waitForFinished(10000);
    }
}

QTEST_MAIN(MainWindowTest)
void MainWindowTest::referenceBoxGoesWhereTyped_data()
{
    QTest::addColumn<int>("readersBefore");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("marked");
    QTest::newRow("active reader goes there")
        << 1 << "John 3:16" << false << QStringList{"John 3:16"} << QString() << 0;
    QTest::newRow("Shift+Enter opens another")
        << 1 << "jude 3" << true << QStringList{"Genesis 1:1", "Jude 1:3"} << QString() << 0;
    QTest::newRow("a new reader when none is open")
        << 0 << "Psalm 23" << false << QStringList{"Psalms 23:1"} << QString() << 0;
    QTest::newRow("a range is marked")
        << 1 << "1 Cor 13:4-7" << false << QStringList{"1 Corinthians 13:4"} << QString() << 1;
    QTest::newRow("no such book") << 1 << "Hezekiah 3" << false << QStringList{"Genesis 1:1"}
                                  << "No book called Hezekiah" << 0;
    QTest::newRow("no such verse")
        << 1 << "John 3:99" << true << QStringList{"Genesis 1:1"} << "John 3 has 36 verses" << 0;
    QTest::newRow("hostile text") << 1 << QString(10000, QLatin1Char('9')) << false
                                  << QStringList{"Genesis 1:1"}
                                  << "A reference is at most 100 characters long" << 0;
}

// Ctrl+L, the reference and Enter, as a person types them; what cannot be
// shown is said beside the box and no reader moves.
void MainWindowTest::referenceBoxGoesWhereTyped()
{
    QFETCH(int, readersBefore);
    QFETCH(QString, typed);
    QFETCH(bool, shift);
    QFETCH(QStringList, captions);
    QFETCH(QString, message);
    QFETCH(int, marked);
    MessageLog log;
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    if (readersBefore == 0)
        main->mdiArea()->closeAllSubWindows();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), readersBefore);
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main.get()));

    QTest::keyClick(main.get(), Qt::Key_L, Qt::ControlModifier);
    QLineEdit *box = main->ReferenceBox1->EditReference;
    QTRY_VERIFY(box->hasFocus());
    box->setText(typed);
    QTest::keyClick(box, Qt::Key_Return, shift ? Qt::ShiftModifier : Qt::NoModifier);

    QCOMPARE(readerCaptions(*main, QMdiArea::CreationOrder), captions);
    QCOMPARE(main->ReferenceBox1->LabelReferenceMessage->text(), message);
    QCOMPARE(box->accessibleDescription(), message);
    QVERIFY(log.texts.isEmpty());
    auto *reader = qobject_cast<TFormBook *>(main->activeChild());
    QVERIFY(reader);
    QCOMPARE(reader->RxRichEdit1->extraSelections().size(), marked);
    if (!message.isEmpty()) {
        // The box keeps the focus for another try; Escape goes back to reading.
        QVERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(main->ReferenceBox1->LabelReferenceMessage->text().isEmpty());
        QVERIFY(reader->RxRichEdit1->hasFocus());
    } else {
        QVERIFY(reader->RxRichEdit1->hasFocus());
        // A jump in a reader that was open is one step back.
        QCOMPARE(reader->history().canGoBack(), readersBefore == 1 && !shift);
    }
}

void MainWindowTest::restoreKeepsPlacesAndSizes_data()
{
    // Stored top, left, height, width; where the reader is expected, the
    // area's size standing for "the far edge".
    QTest::addColumn<QVariantList>("stored");
    QTest::addColumn<QString>("expected");
    QTest::newRow("placed and sized") << QVariantList{10, 20, 150, 200} << "20,10 200x150";
    QTest::newRow("past the far edge")
        << QVariantList{5000, 5000, 150, 200} << "right,bottom 200x150";
    QTest::newRow("before the near edge") << QVariantList{-40, -70, 150, 200} << "0,0 200x150";
    QTest::newRow("larger than the area") << QVariantList{0, 0, 99999, 2147483647} << "0,0 area";
    QTest::newRow("maximized") << QVariantList{10, 20, -250, -400} << "maximized 20,10 400x250";
    QTest::newRow("no usable size") << QVariantList{0, 0, 0, 0} << "default";
    QTest::newRow("blank size") << QVariantList{QVariant(), QVariant(), QVariant(), QVariant()}
                                << "default";
    QTest::newRow("one size negative") << QVariantList{10, 20, -150, 200} << "default";
}

// A reader comes back where it stood, inside the client area; rows without
// usable bounds (those of an older session) take the default place.
void MainWindowTest::restoreKeepsPlacesAndSizes()
{
    QFETCH(QVariantList, stored);
    QFETCH(QString, expected);
    QSize defaultSize;
    {
        auto main = startMainWindow();
        QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
        defaultSize = main->mdiArea()->subWindowList().first()->size();
        main->mdiArea()->closeAllSubWindows();
        Table &table = main->TableSettings();
        table.beginTransaction();
        table.emptyTable();
        table.append();
        const char *fields[] = {"top", "left", "height", "width"};
        table.setField(QStringLiteral("order"), 0);
        table.setField(QStringLiteral("book"), 43);
        table.setField(QStringLiteral("chapter"), 3);
        table.setField(QStringLiteral("verse"), 16);
        for (int i = 0; i < 4; ++i)
            table.setField(QString::fromLatin1(fields[i]), stored.at(i));
        table.post();
        table.commit();
        table.close();
    }
    auto main = startMainWindow();
    QTRY_COMPARE(main->mdiArea()->subWindowList().size(), 1);
    QMdiSubWindow *window = main->mdiArea()->subWindowList().first();
    QCOMPARE(window->widget()->windowTitle(), QStringLiteral("John 3:16"));
    const QSize area = main->mdiArea()->viewport()->size();
    if (expected == QLatin1String("default")) {
        QVERIFY(!window->isMaximized());
        QCOMPARE(window->geometry(), QRect(QPoint(0, 0), defaultSize));
        return;
    }
    QCOMPARE(window->isMaximized(), expected.startsWith(QLatin1String("maximized")));
    if (window->isMaximized()) {
        QCOMPARE(window->geometry(), QRect(QPoint(0, 0), area));
        window->showNormal();
        expected = expected.section(QLatin1Char(' '), 1);
    }
    QRect want;
    if (expected == QLatin1String("0,0 area"))
        want = QRect(QPoint(0, 0), area);
    else if (expected.startsWith(QLatin1String("right,bottom")))
        want = QRect(QPoint(area.width() - 200, area.height() - 150), QSize(200, 150));
    else if (expected == QLatin1String("0,0 200x150"))
        want = QRect(0, 0, 200, 150);
    else if (expected == QLatin1String("20,10 400x250"))
        want = QRect(20, 10, 400, 250);
    else
        want = QRect(20, 10, 200, 150);
    QCOMPARE(window->geometry(), want);
}

void MainWindowTest::commandLineTakesReferences_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("handedOver");
    QTest::addColumn<QString>("error");
    QTest::newRow("two words") << QStringList{"John", "3:16"} << 0 << QByteArray("John+3:16\r\n")
                               << QString();
    QTest::newRow("one quoted") << QStringList{"1 Cor 13:4"} << 0 << QByteArray("1Cor+13:4\r\n")
                                << QString();
    QTest::newRow("the design's list as it stands")
        << QStringList{"Ps+23:,John+3:16,17", "ignored"} << 0
        << QByteArray("Ps+23:,John+3:16,17\r\n") << QString();
    QTest::newRow("no such book") << QStringList{"Hezekiah", "3"} << 2 << QByteArray()
                                  << "kelvaro: No book called Hezekiah";
    QTest::newRow("no such verse")
        << QStringList{"John", "3:37"} << 2 << QByteArray() << "kelvaro: John 3 has 36 verses";
    QTest::newRow("broken list") << QStringList{"John+3:16 "} << 2 << QByteArray()
                                 << "kelvaro: '16 ' is not a valid integer value";
    QTest::newRow("10,000 characters")
        << QStringList{QString(10000, QLatin1Char('x'))} << 2 << QByteArray()
        << "kelvaro: A reference is at most 100 characters long";
}

// A second start with a reference hands it over in the design's form; an
// argument that names no passage is told on standard error, ends with 2 and
// leaves no param.txt behind.
void MainWindowTest::commandLineTakesReferences()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, handedOver);
    QFETCH(QString, error);
    const QString program = m_sandbox->filePath(QStringLiteral("kelvaro"));
    QVERIFY(QFile::copy(Sandbox::programDir() + QStringLiteral("/kelvaro"), program));
    SingleInstance running;
    QCOMPARE(running.acquire(m_sandbox->path()), SingleInstance::Outcome::Acquired);

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    second.setProcessEnvironment(environment);
    second.start(program, arguments);
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), exitCode);
    QCOMPARE(QString::fromLocal8Bit(second.readAllStandardError()).trimmed(), error);
    QFile param(m_sandbox->filePath(QStringLiteral("param.txt")));
    if (handedOver.isEmpty()) {
        QVERIFY(!param.exists());
        return;
    }
    QVERIFY(param.open(QIODevice::ReadOnly));
    QCOMPARE(param.readAll(), handedOver);
}

void MainWindowTest::referenceBoxCompletesBookNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("numbered book") << "1 co" << QStringList{"1 Corinthians"};
    QTest::newRow("any case") << "jo" << QStringList{"Joshua", "Job", "Joel", "Jonah", "John"};
    QTest::newRow("several words") << "song" << QStringList{"Song of Solomon"};
    QTest::newRow("chapter typed") << "John 3" << QStringList{};
}

// The box is on the Edit menu with Ctrl+L, fits a bar at any edge, and
// offers the book names that begin with what is typed.
void MainWindowTest::referenceBoxCompletesBookNames()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, offered);
    auto main = startMainWindow();
    QCOMPARE(main->GoToReference1->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    QVERIFY(main->menuBar()
                ->findChild<QMenu *>(QStringLiteral("Edit1"))
                ->actions()
                .contains(main->GoToReference1));
    // On a bar at the side the box stands upright rather than widening it.
    main->addToolBar(Qt::LeftToolBarArea, main->SpeedBar1);
    QTRY_VERIFY(main->ReferenceBox1->sizeHint().width() < 200);
    main->addToolBar(Qt::TopToolBarArea, main->SpeedBar1);
    QTRY_VERIFY(main->ReferenceBox1->sizeHint().width() > 400);
    QCompleter *completer = main->ReferenceBox1->EditReference->completer();
    QVERIFY(completer);
    completer->setCompletionPrefix(typed);
    QStringList names;
    for (bool more = completer->setCurrentRow(0); more;
         more = completer->setCurrentRow(completer->currentRow() + 1))
        names.append(completer->currentCompletion());
    QCOMPARE(names, offered);
}

#include "tst_mainwindow.moc"
