// The reference-document launcher: addresses, viewer names, the main
// window's documents, the reader's commentary links and the viewer started
// for real.
#include "app/documentlauncher.h"
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "app/programfolder.h"
#include "app/referenceurl.h"
#include "app/singleinstance.h"
#include "dictionary/formebd.h"
#include "documents/formdocument.h"
#include "reader/formbook.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <optional>

#include <sys/stat.h>

namespace {
struct Started
{
    QString program;
    QString address;
};

// Captures every launch instead of starting a program.
class LaunchRecorder
{
public:
    LaunchRecorder()
    {
        DocumentLauncher::setHookForTesting([this](const QString &program, const QString &address) {
            launches.append({program, address});
        });
    }
    ~LaunchRecorder() { DocumentLauncher::setHookForTesting(nullptr); }
    QList<Started> launches;
};

bool writeFile(const QString &path, const QByteArray &contents = "<html></html>")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

// Answers the next information box and returns its caption and text.
class MessageCatcher : public QObject
{
public:
    MessageCatcher()
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons().size();
            box->accept();
        });
        timer->start(10);
    }
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// A stand-in for the viewer: records how many arguments it got and each one.
QString writeViewerScript(const QString &path, const QString &record)
{
    const QByteArray script = "#!/bin/sh\n"
                              "printf '%s\\n' \"$#\" \"$@\" > '" +
                              record.toUtf8() + ".part'\n" + "mv '" + record.toUtf8() + ".part' '" +
                              record.toUtf8() + "'\n";
    writeFile(path, script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// The main window without its start-up work (session restore, first-run
// notice, parameter file), which would interfere with these checks.
void quieten(TFormMain &main)
{
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
}

QStringList recordedArguments(const QString &record)
{
    QFile file(record);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
} // namespace

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void openUrl(const QUrl &url) { urls.append(url); }
};

class TestLauncher : public QObject
{
    Q_OBJECT

private slots:
    void addresses_data();
    void addresses();
    void urlKeepsTheAnchor();
    void viewerNames_data();
    void viewerNames();

    void menuDocuments_data();
    void menuDocuments();
    void jfbIntroductionChoice();
    void missingDocumentIsReported();

    void readerCommentaries();
    void readerWithoutCatalogueRow();
    void childWindowsAskForTheirDocuments_data();
    void childWindowsAskForTheirDocuments();

    void viewerStartedWithOneArgument();
    void viewerChangeTakesEffectAtOnce();
    void desktopGetsTheAnchor();
    void launchPaths_data();
    void launchPaths();
    void hostilePathsReachTheViewerWhole();
    void builtInWindowPerKind();
    void verseLinkOpensReader();
    void unreadableDocumentsAreReported();
    void browserLinkReachesTheRunningProgram();
    void commandLineLinks_data();
    void commandLineLinks();
};

void TestLauncher::addresses_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("address");
    QTest::newRow("absolute") << "/opt/kelvaro/mhc/index.htm"
                              << "file:///opt/kelvaro/mhc/index.htm";
    QTest::newRow("anchor kept") << "/opt/kelvaro/mhc/genesis.htm#3"
                                 << "file:///opt/kelvaro/mhc/genesis.htm#3";
    QTest::newRow("spaces kept") << "/home/a user/Program Files/kjvnotes.htm"
                                 << "file:///home/a user/Program Files/kjvnotes.htm";
    QTest::newRow("drive letter") << "C:/Kelvaro/help/index.htm"
                                  << "file:///C:/Kelvaro/help/index.htm";
    QTest::newRow("network share") << "//server/share/ebd/a.htm"
                                   << "file://server/share/ebd/a.htm";
}

void TestLauncher::addresses()
{
    QFETCH(QString, path);
    QFETCH(QString, address);
    QCOMPARE(DocumentLauncher::fileAddress(path), address);
}

void TestLauncher::urlKeepsTheAnchor()
{
    const QUrl url = DocumentLauncher::fileUrl(QStringLiteral("/no/such dir/mhc/john.htm#3"));
    QCOMPARE(url.scheme(), QStringLiteral("file"));
    QCOMPARE(url.toLocalFile(), QStringLiteral("/no/such dir/mhc/john.htm"));
    QCOMPARE(url.fragment(), QStringLiteral("3"));

    // A file whose own name holds "#" is that file, not an anchor.
    QTemporaryDir dir;
    const QString odd = dir.filePath(QStringLiteral("c#.htm"));
    QVERIFY(writeFile(odd));
    QCOMPARE(DocumentLauncher::fileUrl(odd).toLocalFile(), odd);
    QVERIFY(DocumentLauncher::fileUrl(odd).fragment().isEmpty());

    // A "#" in a folder name is no anchor either.
    QCOMPARE(DocumentLauncher::fileUrl(QStringLiteral("/x/c#/a.htm")).toLocalFile(),
             QStringLiteral("/x/c#/a.htm"));
}

void TestLauncher::viewerNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("program");
    QTest::newRow("default") << "iexplore.exe"
                             << "iexplore.exe";
    QTest::newRow("quoted path") << "\"/opt/my viewer/view\""
                                 << "/opt/my viewer/view";
    QTest::newRow("blanks around") << "  firefox  "
                                   << "firefox";
    QTest::newRow("unbalanced quote") << "\"firefox"
                                      << "\"firefox";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("empty quotes") << "\"\""
                                  << "";
}

void TestLauncher::viewerNames()
{
    QFETCH(QString, text);
    QFETCH(QString, program);
    QCOMPARE(DocumentLauncher::viewerProgram(text), program);
}

void TestLauncher::menuDocuments_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("relative");
    QTest::newRow("translators") << "AbouttheKingJamesVersion1Click"
                                 << "kjvnotes.htm";
    QTest::newRow("mhc") << "MathewHenrysConciseCommentary1Click"
                         << "mhc/index.htm";
    QTest::newRow("salvation") << "HowtoHaveEternalLife1Click"
                               << "salvation/index.htm";
    QTest::newRow("help") << "HelpwiththisProgram1Click"
                          << "help/index.htm";
}

void TestLauncher::menuDocuments()
{
    QFETCH(QString, item);
    QFETCH(QString, relative);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    // A program folder with blanks in its name.
    const QString folder = sandbox.path() + QStringLiteral("Program Files") + QDir::separator();
    ProgramFolder::setPathForTesting(folder);
    QVERIFY(writeFile(folder + relative));

    TFormMain main;
    quieten(main);
    main.edithtmlviewer->setText(QStringLiteral("\"/opt/my viewer/view\""));
    LaunchRecorder recorder;
    QVERIFY(QMetaObject::invokeMethod(&main, item.toLatin1().constData()));
    QCOMPARE(recorder.launches.size(), 1);
    QCOMPARE(recorder.launches[0].program, QStringLiteral("/opt/my viewer/view"));
    QCOMPARE(recorder.launches[0].address,
             QStringLiteral("file://") + QDir::fromNativeSeparators(folder + relative));
}

void TestLauncher::jfbIntroductionChoice()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString folder = sandbox.path();
    TFormMain main;
    quieten(main);
    LaunchRecorder recorder;

    QVERIFY(writeFile(folder + QStringLiteral("jfb/getjfb.htm")));
    main.JamiesonFaussetBrownCommentary1Click();
    QVERIFY(writeFile(folder + QStringLiteral("jfb/jfb00.htm")));
    main.JamiesonFaussetBrownCommentary1Click();

    QCOMPARE(recorder.launches.size(), 2);
    QCOMPARE(recorder.launches[0].address,
             DocumentLauncher::fileAddress(folder + "jfb/getjfb.htm"));
    QCOMPARE(recorder.launches[1].address, DocumentLauncher::fileAddress(folder + "jfb/jfb00.htm"));

    // With neither page present the missing install page is named.
    QFile::remove(folder + QStringLiteral("jfb/jfb00.htm"));
    QFile::remove(folder + QStringLiteral("jfb/getjfb.htm"));
    MessageCatcher catcher;
    main.JamiesonFaussetBrownCommentary1Click();
    QCOMPARE(catcher.text, QStringLiteral("The file ") + folder + QStringLiteral("jfb") +
                               QDir::separator() + QStringLiteral("getjfb.htm does not exist."));
    QCOMPARE(recorder.launches.size(), 2);
}

void TestLauncher::missingDocumentIsReported()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    quieten(main);
    LaunchRecorder recorder;
    MessageCatcher catcher;
    main.OpenReferenceDocument(QStringLiteral("salvation") + QDir::separator() +
                               QStringLiteral("index.htm"));
    QVERIFY(recorder.launches.isEmpty());
    QCOMPARE(catcher.caption, QStringLiteral("Information"));
    QCOMPARE(catcher.icon, QMessageBox::Information);
    QCOMPARE(catcher.buttons, 1);
    // The full path that was tested, not the relative one.
    QCOMPARE(catcher.text, QStringLiteral("The file ") + sandbox.path() +
                               QStringLiteral("salvation/index.htm does not exist."));
    QVERIFY(!QApplication::overrideCursor());
}

void TestLauncher::readerCommentaries()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString folder = sandbox.path();
    TFormMain main;
    quieten(main);
    main.edithtmlviewer->setText(QStringLiteral("iexplore.exe"));
    main.Open1Click(VerseReference{43, 3, 16});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    QCOMPARE(reader->ComboBoxChapter->currentText(), QStringLiteral("3"));

    LaunchRecorder recorder;
    // No existence test: the chapter's documents are not in this folder.
    reader->RxSpeedButtonMHCClick();
    reader->MHCCommentary1Click();
    reader->RxSpeedButtonJFBClick();
    QVERIFY(writeFile(folder + QStringLiteral("jfb/jfb00.htm")));
    reader->JFBCommentary1Click();

    QCOMPARE(recorder.launches.size(), 4);
    const QString mhc = DocumentLauncher::fileAddress(folder + QStringLiteral("mhc/john.htm#3"));
    QCOMPARE(recorder.launches[0].program, QStringLiteral("iexplore.exe"));
    QCOMPARE(recorder.launches[0].address, mhc);
    QCOMPARE(recorder.launches[1].address, mhc);
    QCOMPARE(recorder.launches[2].address,
             DocumentLauncher::fileAddress(folder + QStringLiteral("jfb/getjfb.htm")));
    QCOMPARE(recorder.launches[3].address,
             DocumentLauncher::fileAddress(folder + QStringLiteral("jfb/john.htm#3")));
    QVERIFY(!QApplication::overrideCursor());
}

void TestLauncher::readerWithoutCatalogueRow()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    quieten(main);
    // A book number outside the Bible leaves the reader without a catalogue
    // row: the commentary has no document to name.
    main.Open1Click(VerseReference{0, 1, 1});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    LaunchRecorder recorder;
    reader->RxSpeedButtonMHCClick();
    QVERIFY(recorder.launches.isEmpty());
    reader->RxSpeedButtonJFBClick();
    QCOMPARE(recorder.launches.size(), 1);
    QCOMPARE(recorder.launches[0].address,
             DocumentLauncher::fileAddress(sandbox.path() + QStringLiteral("jfb/getjfb.htm")));
    QVERIFY(!QApplication::overrideCursor());
    // The reader goes before its error report would be delivered.
    delete reader->parentWidget();
}

// The windows below the main window ask it for their documents: the viewer
// in force shows them, and the built-in window opens in its client area.
void TestLauncher::childWindowsAskForTheirDocuments_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("viewer");
    QTest::newRow("reader's commentary, built-in") << "commentary"
                                                   << "<built-in>";
    QTest::newRow("reader's commentary, a program") << "commentary"
                                                    << "my-viewer";
    QTest::newRow("dictionary of the menu") << "dictionary"
                                            << "my-viewer";
    QTest::newRow("dictionary of a reader") << "reader's dictionary"
                                            << "my-viewer";
}

void TestLauncher::childWindowsAskForTheirDocuments()
{
    QFETCH(QString, from);
    QFETCH(QString, viewer);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    QVERIFY(writeFile(sandbox.path() + QStringLiteral("mhc/john.htm"),
                      "<html><body><h2 id=\"3\">Chapter 3</h2></body></html>"));
    TFormMain main;
    quieten(main);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.edithtmlviewer->setText(viewer);
    main.Open1Click(VerseReference{43, 3, 16});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    std::optional<LaunchRecorder> recorder;
    if (viewer != DocumentLauncher::builtInSetting())
        recorder.emplace();
    if (from == QLatin1String("commentary")) {
        reader->RxSpeedButtonMHCClick();
    } else {
        if (from == QLatin1String("dictionary"))
            main.EastonsBibleDictionary1Click();
        else
            reader->LookUpWord1Click();
        auto *dictionary = qobject_cast<TFormebd *>(main.activeChild());
        QVERIFY(dictionary);
        dictionary->Edit1->setText(QStringLiteral("abi"));
        dictionary->RxDBLookupList1DblClick();
    }
    if (recorder) {
        QCOMPARE(recorder->launches.size(), 1);
        QCOMPARE(recorder->launches[0].program, viewer);
        QVERIFY2(recorder->launches[0].address.contains(
                     from == QLatin1String("commentary") ? "/mhc/john.htm#3" : "/ebd/"),
                 qPrintable(recorder->launches[0].address));
        return;
    }
    TFormDocument *window =
        TFormDocument::windowOf(TFormDocument::Kind::Commentary, main.clientArea());
    QVERIFY(window);
    QCOMPARE(main.activeChild(), window);
    QCOMPARE(window->BrowserDocument->source().fileName(), QStringLiteral("john.htm"));
}

void TestLauncher::viewerStartedWithOneArgument()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString folder = sandbox.path() + QStringLiteral("Program Files") + QDir::separator();
    ProgramFolder::setPathForTesting(folder);
    QVERIFY(writeFile(folder + QStringLiteral("kjvnotes.htm")));
    const QString record = sandbox.filePath(QStringLiteral("arguments.txt"));
    const QString viewer =
        writeViewerScript(sandbox.filePath(QStringLiteral("my viewer/view.sh")), record);

    TFormMain main;
    quieten(main);
    main.edithtmlviewer->setText(QLatin1Char('"') + viewer + QLatin1Char('"'));
    main.AbouttheKingJamesVersion1Click();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
    QCOMPARE(recordedArguments(record),
             QStringList({QStringLiteral("1"),
                          QStringLiteral("file://") + folder + QStringLiteral("kjvnotes.htm")}));

    // The reader's links start the viewer without testing the document.
    QFile::remove(record);
    main.Open1Click(VerseReference{1, 3, 1});
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    reader->RxSpeedButtonMHCClick();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
    QCOMPARE(recordedArguments(record),
             QStringList({QStringLiteral("1"), QStringLiteral("file://") + folder +
                                                   QStringLiteral("mhc/genesis.htm#3")}));
}

void TestLauncher::viewerChangeTakesEffectAtOnce()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    QVERIFY(writeFile(sandbox.path() + QStringLiteral("help/index.htm")));
    const QString first = sandbox.filePath(QStringLiteral("first.txt"));
    const QString second = sandbox.filePath(QStringLiteral("second.txt"));
    TFormMain main;
    quieten(main);
    main.edithtmlviewer->setText(writeViewerScript(sandbox.filePath("one.sh"), first));
    main.HelpwiththisProgram1Click();
    main.edithtmlviewer->setText(writeViewerScript(sandbox.filePath("two.sh"), second));
    main.HelpwiththisProgram1Click();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(first) && QFile::exists(second), 5000);
    QCOMPARE(recordedArguments(first), recordedArguments(second));
}

// The desktop's own handler of file addresses gets the chapter's anchor.
void TestLauncher::desktopGetsTheAnchor()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "openUrl");
    const QString chapter = sandbox.path() + QStringLiteral("mhc/john.htm");
    QCOMPARE(DocumentLauncher::launch(QStringLiteral("<desktop>"), chapter + "#3"),
             DocumentLauncher::Outcome::DesktopHandler);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls[0].toLocalFile(), chapter);
    QCOMPARE(catcher.urls[0].fragment(), QStringLiteral("3"));
    QVERIFY(!QApplication::overrideCursor());
}

void TestLauncher::launchPaths_data()
{
    QTest::addColumn<QString>("viewer");
    QTest::addColumn<int>("desktop"); // -1 none, 0 fails, 1 opens
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message"); // a part of it; empty: none
    using O = DocumentLauncher::Outcome;
    QTest::newRow("built-in") << "<built-in>" << -1 << int(O::BuiltIn) << "";
    QTest::newRow("older default") << "iexplore.exe" << -1 << int(O::BuiltIn) << "";
    QTest::newRow("empty") << "" << -1 << int(O::BuiltIn) << "";
    QTest::newRow("desktop") << "<desktop>" << 1 << int(O::DesktopHandler) << "";
    QTest::newRow("no browser") << "<desktop>" << 0 << int(O::FellBack)
                                << "The desktop has no web browser that could show ";
    QTest::newRow("missing program")
        << "\"/no/such dir/view $(touch pwned); 'x'\"" << -1 << int(O::FellBack)
        << "The HTML viewer \"/no/such dir/view $(touch pwned); 'x'\" could not be started to "
           "show ";
}

void TestLauncher::launchPaths()
{
    QFETCH(QString, viewer);
    QFETCH(int, desktop);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString folder = sandbox.path();
    const QString page = folder + QStringLiteral("help/index.htm");
    QVERIFY(writeFile(page, "<html><head><title>Help</title></head><body><p>Helpful "
                            "words</p></body></html>"));
    TFormMain main;
    quieten(main);
    QList<QUrl> opened;
    if (desktop >= 0) {
        DocumentLauncher::setDesktopOpenerForTesting([&opened, desktop](const QUrl &url) {
            opened.append(url);
            return desktop == 1;
        });
    }
    main.edithtmlviewer->setText(viewer);
    MessageCatcher catcher;
    const auto result = main.openDocument(page);
    DocumentLauncher::setDesktopOpenerForTesting(nullptr);

    QCOMPARE(int(result), outcome);
    QCOMPARE(opened.size(), desktop >= 0 ? 1 : 0);
    if (desktop >= 0)
        QCOMPARE(opened[0].toLocalFile(), page);
    if (message.isEmpty()) {
        QVERIFY(catcher.text.isEmpty());
    } else {
        // The message names the viewer and the document.
        QVERIFY2(catcher.text.startsWith(message + page), qPrintable(catcher.text));
        QVERIFY(catcher.text.contains(QStringLiteral("Kelvaro's own document window")));
    }
    TFormDocument *window = TFormDocument::windowOf(TFormDocument::Kind::Help, main.clientArea());
    if (outcome == int(DocumentLauncher::Outcome::DesktopHandler)) {
        QVERIFY(!window);
    } else {
        QVERIFY(window);
        QCOMPARE(window->BrowserDocument->source().toLocalFile(), page);
        QVERIFY(window->BrowserDocument->toPlainText().contains(QStringLiteral("Helpful words")));
        QCOMPARE(main.activeChild(), window);
    }
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
    QVERIFY(!QApplication::overrideCursor());
}

// Paths that a shell would split or run: the viewer gets the document's
// address as one argument, exactly, and nothing else runs.
void TestLauncher::hostilePathsReachTheViewerWhole()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString folder = sandbox.path() + QStringLiteral("a b'\"; $(touch pwned) `touch pwned`/");
    ProgramFolder::setPathForTesting(folder);
    QVERIFY(writeFile(folder + QStringLiteral("kjvnotes.htm")));
    const QString record = sandbox.filePath(QStringLiteral("arguments.txt"));
    const QString viewer = writeViewerScript(
        sandbox.filePath(QStringLiteral("my \"viewer\"; $(touch pwned)/view.sh")), record);
    TFormMain main;
    quieten(main);
    main.edithtmlviewer->setText(viewer);
    MessageCatcher catcher;
    main.AbouttheKingJamesVersion1Click();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
    QCOMPARE(recordedArguments(record),
             QStringList({QStringLiteral("1"),
                          QStringLiteral("file://") + folder + QStringLiteral("kjvnotes.htm")}));
    QVERIFY(catcher.text.isEmpty());
    QVERIFY(!QFile::exists(sandbox.filePath(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(QStringLiteral("pwned")));
}

// One window per kind, reused; Back, Forward, Find and zoom inside it.
void TestLauncher::builtInWindowPerKind()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString folder = sandbox.path();
    QVERIFY(writeFile(folder + "ebd/one.htm", "<html><head><title>One</title></head><body>"
                                              "<p>First <a href=\"two.htm\">two</a></p>"
                                              "<p>needle here</p></body></html>"));
    QVERIFY(writeFile(folder + "ebd/two.htm",
                      "<html><head><title>Two</title></head><body><p>Second</p></body></html>"));
    // The chapter's anchor far down its book's page.
    QVERIFY(writeFile(folder + "mhc/john.htm",
                      "<html><body>" + QByteArray("<p>Comment</p>").repeated(300) +
                          "<h2 id=\"3\">Chapter 3</h2>" + QByteArray("<p>More</p>").repeated(300) +
                          "</body></html>"));
    QVERIFY(writeFile(folder + "help/index.htm", "<html><body><p>Help</p></body></html>"));
    TFormMain main;
    quieten(main);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.edithtmlviewer->setText(DocumentLauncher::builtInSetting());
    main.openDocument(folder + "ebd/one.htm");
    main.openDocument(folder + "mhc/john.htm#3");
    main.openDocument(folder + "help/index.htm");
    main.openDocument(folder + "ebd/two.htm");
    QCOMPARE(main.mdiArea()->subWindowList().size(), 3);
    TFormDocument *dictionary =
        TFormDocument::windowOf(TFormDocument::Kind::Dictionary, main.clientArea());
    QVERIFY(dictionary);
    QCOMPARE(main.activeChild(), dictionary);
    QCOMPARE(dictionary->windowTitle(), QStringLiteral("Easton's Bible Dictionary - Two"));
    QTextBrowser *commentary =
        TFormDocument::windowOf(TFormDocument::Kind::Commentary, main.clientArea())
            ->BrowserDocument;
    QCOMPARE(commentary->source().fragment(), QStringLiteral("3"));
    QTRY_VERIFY(commentary->verticalScrollBar()->value() > 0);
    // The "Print Chapter" of the main menu is for readers.
    QVERIFY(!main.Print1->isEnabled());

    QTextBrowser *browser = dictionary->BrowserDocument;
    QVERIFY(dictionary->Back1->isEnabled());
    QTest::keyClick(browser, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(browser->source().fileName(), QStringLiteral("one.htm"));
    QVERIFY(dictionary->Forward1->isEnabled());
    QTest::keyClick(browser, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(browser->source().fileName(), QStringLiteral("two.htm"));
    dictionary->Back1Click();

    // Ctrl+F in the window goes to its find box, not to the verse search.
    QTest::keyClick(browser, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(dictionary->EditFind->hasFocus());
    QTest::keyClicks(dictionary->EditFind, QStringLiteral("needle"));
    QTest::keyClick(dictionary->EditFind, Qt::Key_Return);
    QCOMPARE(browser->textCursor().selectedText(), QStringLiteral("needle"));
    QVERIFY(dictionary->LabelFound->text().isEmpty());
    QTest::keyClick(browser, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("needle"));
    // The main window's Edit menu acts on the page too.
    main.SelectAll1->trigger();
    main.Copy1->trigger();
    QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("First two")));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(sandbox.filePath(QStringLiteral("page.pdf")));
    dictionary->printTo(&printer);
    QVERIFY(QFileInfo(printer.outputFileName()).size() > 0);
    dictionary->EditFind->setText(QStringLiteral("nowhere at all"));
    QVERIFY(!dictionary->FindNext());
    QCOMPARE(dictionary->LabelFound->text(), QStringLiteral("Not found"));
    QCOMPARE(main.mdiArea()->subWindowList().size(), 3);

    const qreal size = browser->font().pointSizeF();
    QTest::keyClick(browser, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(browser->font().pointSizeF() > size);
    dictionary->ZoomOut1Click();
    QCOMPARE(browser->font().pointSizeF(), size);

    // Tab walks to the link; Enter follows it.
    browser->setFocus();
    QTest::keyClick(browser, Qt::Key_Tab);
    QCOMPARE(browser->textCursor().selectedText(), QStringLiteral("two"));
    QTest::keyClick(browser, Qt::Key_Return);
    QCOMPARE(browser->source().fileName(), QStringLiteral("two.htm"));
}

// A verse link of a shipped dictionary page, followed from the keyboard,
// opens a reader at that verse; a link to no verse is reported.
void TestLauncher::verseLinkOpensReader()
{
    Sandbox sandbox(true);
    QVERIFY(sandbox.isValid());
    TFormMain main;
    quieten(main);
    main.show();
    main.edithtmlviewer->setText(DocumentLauncher::builtInSetting());
    main.openDocument(sandbox.path() + QStringLiteral("ebd/abdi.htm"));
    TFormDocument *window =
        TFormDocument::windowOf(TFormDocument::Kind::Dictionary, main.clientArea());
    QVERIFY(window);
    QTextBrowser *browser = window->BrowserDocument;
    browser->setFocus();
    // "My servant. (1.) 1 Chr. 6:44. ..."
    QTest::keyClick(browser, Qt::Key_Tab);
    QCOMPARE(browser->textCursor().selectedText(), QStringLiteral("1 Chr. 6:44"));
    QTest::keyClick(browser, Qt::Key_Return);
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    QCOMPARE(reader->ComboBoxBook->currentIndex() + 1, 13);
    QCOMPARE(reader->ComboBoxChapter->currentText(), QStringLiteral("6"));
    QCOMPARE(reader->ComboBoxVerse->currentText(), QStringLiteral("44"));

    const int windows = main.mdiArea()->subWindowList().size();
    for (const char *link : {"kelvaro:John+3:99", "kelvaro:Xyz+1:1", "kelvaro:John+22:1"}) {
        MessageCatcher catcher;
        window->BrowserDocumentAnchorClicked(QUrl(QString::fromLatin1(link)));
        QCOMPARE(catcher.text, QStringLiteral("The link %1 names no verse of the King James "
                                              "Version.")
                                   .arg(QLatin1String(link)));
    }
    QCOMPARE(main.mdiArea()->subWindowList().size(), windows);
}

void TestLauncher::unreadableDocumentsAreReported()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString fifo = sandbox.filePath(QStringLiteral("help/fifo.htm"));
    QDir().mkpath(sandbox.filePath(QStringLiteral("help")));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    TFormMain main;
    quieten(main);
    main.edithtmlviewer->setText(DocumentLauncher::builtInSetting());
    {
        MessageCatcher catcher;
        main.openDocument(fifo);
        QCOMPARE(catcher.text, fifo + QStringLiteral(" is not a document file."));
    }
    {
        MessageCatcher catcher;
        main.openDocument(sandbox.filePath(QStringLiteral("ebd/none.htm")));
        QCOMPARE(catcher.text, QStringLiteral("The file ") +
                                   sandbox.filePath(QStringLiteral("ebd/none.htm")) +
                                   QStringLiteral(" does not exist."));
    }
    QVERIFY(main.mdiArea()->subWindowList().isEmpty());
}

// A link clicked in a browser: the desktop starts the program with it, and
// the running program opens a reader at the verse.
void TestLauncher::browserLinkReachesTheRunningProgram()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString program = sandbox.filePath(QStringLiteral("kelvaro"));
    QVERIFY(QFile::copy(Sandbox::programDir() + QStringLiteral("/kelvaro"), program));
    TFormMain main;
    quieten(main);
    SingleInstance running;
    QCOMPARE(running.acquire(ProgramFolder::dataPath()), SingleInstance::Outcome::Acquired);

    QProcess desktop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    desktop.setProcessEnvironment(environment);
    desktop.start(program, {QStringLiteral("kelvaro://Rom+8:28/")});
    QVERIFY(desktop.waitForFinished(20000));
    QCOMPARE(desktop.exitCode(), 0);
    QFile param(sandbox.filePath(QStringLiteral("param.txt")));
    QVERIFY(param.open(QIODevice::ReadOnly));
    QCOMPARE(param.readAll(), QByteArray("Rom+8:28\r\n"));
    param.close();

    main.TimerParameterFileTimer();
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    QCOMPARE(reader->ComboBoxBook->currentIndex() + 1, 45);
    QCOMPARE(reader->ComboBoxChapter->currentText(), QStringLiteral("8"));
    QCOMPARE(reader->ComboBoxVerse->currentText(), QStringLiteral("28"));
}

void TestLauncher::commandLineLinks_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("list");
    QTest::newRow("link") << "kelvaro:John+3:16"
                          << "John+3:16";
    QTest::newRow("browser's slashes") << "kelvaro://1John+4:8/"
                                       << "1John+4:8";
    QTest::newRow("escaped") << "KELVARO:Ps+23%3A1"
                             << "Ps+23:1";
    QTest::newRow("reference list") << "John+3:16,Rom+8:28"
                                    << "John+3:16,Rom+8:28";
    QTest::newRow("other scheme") << "file:///tmp/x"
                                  << "file:///tmp/x";
}

void TestLauncher::commandLineLinks()
{
    QFETCH(QString, argument);
    QFETCH(QString, list);
    QCOMPARE(ReferenceUrl::toReferenceList(argument), list);
}

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
