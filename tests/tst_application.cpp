// The application's standard error report: an exception that escapes an
// event handler is shown in a message box and the program goes on. The
// command line's options, answered by the built program itself.

#include "app/application.h"
#include "app/commandline.h"
#include "scripture/dataset.h"
#include "support/sandbox.h"

#include <QDirIterator>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <stdexcept>

class ApplicationTest : public QObject
{
    Q_OBJECT
private slots:
    void escapingExceptionIsShownAndTheLoopGoesOn();
    void optionsAnswerWithoutDisplayOrFiles_data();
    void optionsAnswerWithoutDisplayOrFiles();
    void answerToAFullDiskIsAnError();
    void optionsEndAtDoubleDash_data();
    void optionsEndAtDoubleDash();
};

namespace {
// The built program alone in a scratch folder, which is its program and
// data folder; home, settings and runtime folders inside it too; no
// display.
struct ScratchProgram
{
    QTemporaryDir root;
    QString program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    bool prepare()
    {
        program = root.filePath(QStringLiteral("kelvaro"));
        if (!QFile::copy(Sandbox::programDir() + QStringLiteral("/kelvaro"), program))
            return false;
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        for (const char *name :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"}) {
            const QString folder = root.filePath(QString::fromLatin1(name));
            if (!QDir().mkpath(folder) ||
                !QFile::setPermissions(folder,
                                       QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
                return false;
            environment.insert(QString::fromLatin1(name), folder);
        }
        return true;
    }

    // Every file under the root, the program included.
    QStringList files() const
    {
        QStringList found;
        QDirIterator it(root.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next());
        found.sort();
        return found;
    }
};
} // namespace

// Closes every message box as it appears, remembering the last text.
class BoxCloser : public QObject
{
public:
    BoxCloser()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(widget);
                if (box && box->isVisible()) {
                    shown = box->text();
                    box->accept();
                }
            }
        });
        m_timer.start(10);
    }
    QString shown;

private:
    QTimer m_timer;
};

void ApplicationTest::escapingExceptionIsShownAndTheLoopGoesOn()
{
    BoxCloser closer;
    QTimer failing;
    failing.setSingleShot(true);
    connect(&failing, &QTimer::timeout, this,
            [] { throw EngineError(QStringLiteral("Table does not exist: /x/kjvbible.db")); });
    failing.start(0);
    QTRY_COMPARE(closer.shown, QStringLiteral("Table does not exist: /x/kjvbible.db"));

    // Later events are handled as usual.
    bool ranAfterwards = false;
    QTimer::singleShot(0, this, [&] { ranAfterwards = true; });
    QTRY_VERIFY(ranAfterwards);

    QTimer other;
    other.setSingleShot(true);
    connect(&other, &QTimer::timeout, this, [] { throw std::runtime_error("plain failure"); });
    other.start(0);
    QTRY_COMPARE(closer.shown, QStringLiteral("plain failure"));
}

void ApplicationTest::optionsAnswerWithoutDisplayOrFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString usage = QStringLiteral("Usage: kelvaro [OPTION]... [REFERENCE-LIST]\n");
    const QString version = QStringLiteral("kelvaro (Kelvaro) " KELVARO_VERSION "\n");
    QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << QString();
    QTest::newRow("-h") << QStringList{"-h"} << 0 << usage << QString();
    QTest::newRow("--version") << QStringList{"--version"} << 0 << version << QString();
    QTest::newRow("-V") << QStringList{"-V"} << 0 << version << QString();
    QTest::newRow("help after a reference")
        << QStringList{"John+3:16", "--help"} << 0 << usage << QString();
    QTest::newRow("the first answer wins")
        << QStringList{"-V", "--help", "--bogus"} << 0 << version << QString();
    QTest::newRow("unknown long option")
        << QStringList{"--bogus"} << 2 << QString()
        << "kelvaro: unknown option '--bogus'\nTry 'kelvaro --help' for more information.\n";
    QTest::newRow("unknown short option")
        << QStringList{"-x"} << 2 << QString() << "kelvaro: unknown option '-x'\n";
    QTest::newRow("session without a name")
        << QStringList{"-session"} << 2 << QString() << "kelvaro: unknown option '-session'\n";
    QTest::newRow("help with a value")
        << QStringList{"--help=all"} << 2 << QString() << "kelvaro: unknown option '--help=all'\n";
    QTest::newRow("unknown option after a reference")
        << QStringList{"John+3:16", "--frobnicate"} << 2 << QString()
        << "kelvaro: unknown option '--frobnicate'\n";
}

// The answer, and nothing else: no hand-off file, no lock, no settings, not
// even with a reference list beside the option.
void ApplicationTest::optionsAnswerWithoutDisplayOrFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    ScratchProgram scratch;
    QVERIFY(scratch.prepare());
    const QStringList before = scratch.files();

    QProcess process;
    process.setProcessEnvironment(scratch.environment);
    process.setWorkingDirectory(scratch.root.path());
    process.start(scratch.program, arguments);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString said = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString complained = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitCode(), status);
    if (out.isEmpty())
        QCOMPARE(said, QString());
    else
        QVERIFY2(said.startsWith(out), qPrintable(said));
    if (err.isEmpty())
        QCOMPARE(complained, QString());
    else
        QVERIFY2(complained.startsWith(err), qPrintable(complained));
    QCOMPARE(scratch.files(), before);
}

// "kelvaro --help > /dev/full" must not pass for success.
void ApplicationTest::answerToAFullDiskIsAnError()
{
    // A device of the system, not a tool the set-up installs: where the
    // system lacks it there is no full disk to answer.
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full");
    ScratchProgram scratch;
    QVERIFY(scratch.prepare());
    QProcess process;
    process.setProcessEnvironment(scratch.environment);
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(scratch.program, {QStringLiteral("--version")});
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 1);
    const QString complained = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(complained.startsWith(QStringLiteral("kelvaro: write error: ")),
             qPrintable(complained));
}

void ApplicationTest::optionsEndAtDoubleDash_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("nothing") << QStringList{} << QStringList{};
    QTest::newRow("a reference") << QStringList{"John+3:16"} << QStringList{"John+3:16"};
    QTest::newRow("a lone dash") << QStringList{"-"} << QStringList{"-"};
    QTest::newRow("dash-dash first") << QStringList{"--", "-1"} << QStringList{"-1"};
    QTest::newRow("an option after dash-dash")
        << QStringList{"John+3:16", "--", "--help"} << QStringList{"John+3:16", "--help"};
    QTest::newRow("a second dash-dash is an argument")
        << QStringList{"--", "--"} << QStringList{"--"};
    QTest::newRow("a session manager's restart")
        << QStringList{"-session", "10abc", "John+3:16"} << QStringList{"John+3:16"};
    QTest::newRow("a session after dash-dash")
        << QStringList{"--", "-session", "x"} << QStringList{"-session", "x"};
}

void ApplicationTest::optionsEndAtDoubleDash()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, remaining);
    const CommandLine::Reading reading = CommandLine::read(arguments);
    QCOMPARE(reading.action, CommandLine::Reading::Run);
    QCOMPARE(reading.arguments, remaining);

    // argv keeps the same arguments, in the same bytes, for what follows.
    QList<QByteArray> bytes{QByteArrayLiteral("kelvaro")};
    for (const QString &argument : arguments)
        bytes.append(argument.toLocal8Bit());
    QList<char *> argv;
    for (QByteArray &argument : bytes)
        argv.append(argument.data());
    argv.append(nullptr);
    int argc = int(bytes.size());
    QCOMPARE(CommandLine::takeOptions(argc, argv.data()), -1);
    QStringList kept;
    for (int i = 1; i < argc; ++i)
        kept.append(QString::fromLocal8Bit(argv[i]));
    QCOMPARE(kept, remaining);
    QCOMPARE(argv[argc], nullptr);
}

int main(int argc, char **argv)
{
    KelvaroApplication app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
