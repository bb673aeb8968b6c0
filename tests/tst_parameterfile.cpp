// The param.txt hand-off: the reference-list parser on its own, the
// take-over of the file, and readers opened by the main window's timer.
#include "app/comeforward.h"
#include "app/formmain.h"
#include "app/parameterfile.h"
#include "app/parameterinbox.h"
#include "app/parameterparser.h"
#include "app/pendingreference.h"
#include "app/privatefile.h"
#include "app/singleinstance.h"
#include "reader/formbook.h"
#include "scripture/dataset.h"
#include "support/messageanswers.h"
#include "support/sandbox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <tuple>

#include <sys/resource.h>
#include <sys/stat.h>

using ParameterParser::Reference;
using Opened = QList<std::tuple<int, int, int>>;

namespace {
constexpr qint64 kFailure = qint64(1) << 40;

// A catalogue small enough to follow by hand, as a nearest-key search over
// a sorted list of abbreviations would answer.
qint32 fakeLookup(const QString &token)
{
    static const QList<QPair<QString, int>> index = {
        {QStringLiteral("1John"), 62}, {QStringLiteral("Gen"), 1},  {QStringLiteral("John"), 43},
        {QStringLiteral("Ps"), 19},    {QStringLiteral("Rom"), 45}, {QStringLiteral("Zeph"), 36}};
    for (const auto &entry : index) {
        if (entry.first >= token)
            return entry.second;
    }
    return index.last().second;
}

Opened run(const QStringList &lines, QString *error = nullptr)
{
    Opened opened;
    try {
        ParameterParser::parse(lines, fakeLookup, [&opened](const Reference &r) {
            opened.append({r.Book, r.Chapter, r.Verse});
        });
    } catch (const std::runtime_error &e) {
        if (!error)
            throw;
        *error = QString::fromUtf8(e.what());
    }
    return opened;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<TFormBook *> readers(TFormMain &main)
{
    QList<TFormBook *> list;
    for (QMdiSubWindow *window : main.mdiArea()->subWindowList(QMdiArea::CreationOrder)) {
        if (auto *reader = qobject_cast<TFormBook *>(window->widget()))
            list.append(reader);
    }
    return list;
}

std::tuple<int, int, int> placeOf(const TFormBook *reader)
{
    return {reader->ComboBoxBook->currentIndex() + 1, reader->ComboBoxChapter->currentIndex() + 1,
            reader->ComboBoxVerse->currentIndex() + 1};
}
} // namespace

class TestParameterFile : public QObject
{
    Q_OBJECT
private slots:
    void integerConversion_data();
    void integerConversion();
    void conversionMessage();
    void references_data();
    void references();
    void valuesCarryAcrossLines();
    void bookLookupGetsTheRawToken();
    void errorStopsTheRestButKeepsEarlierReaders();
    void hostileLines();
    void lineSplitting_data();
    void lineSplitting();

    void appendArgumentWritesOneCrLfLine();
    void failedAppendLeavesNoPartLine_data();
    void failedAppendLeavesNoPartLine();
    void folderInTheWayIsNamed_data();
    void folderInTheWayIsNamed();
    void takeOverRenamesAndReads();
    void secondTakeOverReplacesTheWorkingCopy();
    void vanishedFileIsNoFile();
    void unrenamableFileIsReportedOnce();
    void onlyPlainFilesAreRead_data();
    void onlyPlainFilesAreRead();
    void atMostAMegabyteIsRead();
    void noLineIsLost_data();
    void noLineIsLost();
    void senderIsRefused_data();
    void senderIsRefused();
    void filesAreOwnerOnly();
    void instanceLockInRuntimeFolder_data();
    void instanceLockInRuntimeFolder();

    void timerOpensReaders();
    void timerReportsBadNumberAndRecovers();
    void eachWindowTakesOverOnItsOwn();
    void timerCapsRunawayLists();
    void timerCapIsPerLine();
    void timerBoundsBookLookups();
    void askingToComeForwardKeepsTheList_data();
    void askingToComeForwardKeepsTheList();
    void takeOverBringsTheWindowForward_data();
    void takeOverBringsTheWindowForward();
    void timerNamesTheDamagedCatalogue_data();
    void timerNamesTheDamagedCatalogue();

private:
};

void TestParameterFile::integerConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value"); // kFailure: the conversion must fail
    QTest::newRow("plain") << "16" << qint64(16);
    QTest::newRow("leading blanks") << "   16" << qint64(16);
    QTest::newRow("minus") << "-5" << qint64(-5);
    QTest::newRow("plus") << "+5" << qint64(5);
    QTest::newRow("zero padded") << "007" << qint64(7);
    QTest::newRow("hex") << "$1F" << qint64(31);
    QTest::newRow("hex lower") << "$ff" << qint64(255);
    QTest::newRow("negative hex") << "-$10" << qint64(-16);
    QTest::newRow("largest") << "2147483647" << qint64(2147483647);
    QTest::newRow("smallest") << "-2147483648" << qint64(INT_MIN);
    QTest::newRow("largest hex") << "$7FFFFFFF" << qint64(2147483647);
    QTest::newRow("trailing blank") << "16 " << kFailure;
    QTest::newRow("only blanks") << "   " << kFailure;
    QTest::newRow("sign alone") << "-" << kFailure;
    QTest::newRow("dollar alone") << "$" << kFailure;
    QTest::newRow("letters") << "1a" << kFailure;
    QTest::newRow("decimal point") << "1.5" << kFailure;
    QTest::newRow("tab is no blank") << "\t16" << kFailure;
    QTest::newRow("c hex") << "0x10" << kFailure;
    QTest::newRow("two signs") << "--1" << kFailure;
    QTest::newRow("blank after sign") << "- 1" << kFailure;
    QTest::newRow("one past the top") << "2147483648" << kFailure;
    QTest::newRow("one past the bottom") << "-2147483649" << kFailure;
    QTest::newRow("64-bit") << "99999999999999999999" << kFailure;
    QTest::newRow("hex past the top") << "$80000000" << kFailure;
    QTest::newRow("hex all ones") << "$FFFFFFFF" << kFailure;
    QTest::newRow("arabic digits") << QString::fromUtf8("\u0661\u0662") << kFailure;
}

void TestParameterFile::integerConversion()
{
    QFETCH(QString, text);
    QFETCH(qint64, value);
    if (value == kFailure) {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ParameterParser::toInteger(text));
    } else {
        QCOMPARE(ParameterParser::toInteger(text), value);
    }
}

void TestParameterFile::conversionMessage()
{
    QString error;
    run({QStringLiteral("John+3:16 ")}, &error);
    QCOMPARE(error, QStringLiteral("'16 ' is not a valid integer value"));

    // A huge or binary token still makes one short, printable line.
    run({QString(100000, QLatin1Char('7'))}, &error);
    QVERIFY(error.startsWith(QStringLiteral("'7777")));
    QVERIFY(error.endsWith(QStringLiteral("' is not a valid integer value")));
    QVERIFY(error.size() < 200);
    run({QStringLiteral("1\x01\x02")}, &error);
    QVERIFY(!error.contains(QChar(1)));
}

void TestParameterFile::references_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Opened>("expected");
    QTest::newRow("one verse") << "John+3:16" << Opened{{43, 3, 16}};
    QTest::newRow("two verses") << "John+3:16,17" << Opened{{43, 3, 16}, {43, 3, 17}};
    QTest::newRow("three verses") << "John+3:16,17,18"
                                  << Opened{{43, 3, 16}, {43, 3, 17}, {43, 3, 18}};
    QTest::newRow("two books") << "John+3:16,Rom+8:28" << Opened{{43, 3, 16}, {45, 8, 28}};
    QTest::newRow("number without colon is a verse") << "Ps+23" << Opened{{19, 1, 23}};
    QTest::newRow("number with colon is a chapter") << "Ps+23:" << Opened{{19, 23, 1}};
    QTest::newRow("trailing comma opens twice") << "John+3:16," << Opened{{43, 3, 16}, {43, 3, 16}};
    QTest::newRow("empty line") << "" << Opened{{1, 1, 1}};
    QTest::newRow("leading blank before number") << "John+ 3: 16" << Opened{{43, 3, 16}};
    QTest::newRow("empty token at plus is the first row") << "+3:16" << Opened{{62, 3, 16}};
    QTest::newRow("unknown token takes the next abbreviation") << "Jo+1" << Opened{{43, 1, 1}};
    QTest::newRow("token after every abbreviation") << "Zz+1" << Opened{{36, 1, 1}};
    QTest::newRow("blank before an abbreviation lands earlier") << " John+1" << Opened{{62, 1, 1}};
    QTest::newRow("chapter change keeps the verse")
        << "John+3:16,4:" << Opened{{43, 3, 16}, {43, 4, 16}};
    QTest::newRow("only commas") << ",," << Opened{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    QTest::newRow("hex verse") << "John+3:$10" << Opened{{43, 3, 16}};
    QTest::newRow("out of range values pass through") << "John+0:999" << Opened{{43, 0, 999}};
}

void TestParameterFile::references()
{
    QFETCH(QString, line);
    QFETCH(Opened, expected);
    QCOMPARE(run({line}), expected);
}

void TestParameterFile::valuesCarryAcrossLines()
{
    QCOMPARE(run({QStringLiteral("John+3:16"), QStringLiteral("17")}),
             (Opened{{43, 3, 16}, {43, 3, 17}}));
    QCOMPARE(run({QStringLiteral("Ps+23:4"), QString(), QStringLiteral("Rom+")}),
             (Opened{{19, 23, 4}, {19, 23, 4}, {45, 23, 4}}));
}

void TestParameterFile::bookLookupGetsTheRawToken()
{
    QStringList tokens;
    ParameterParser::parse(
        {QStringLiteral(" john +x+"), QStringLiteral("+")},
        [&tokens](const QString &token) {
            tokens.append(token);
            return 5;
        },
        [](const Reference &) {});
    QCOMPARE(tokens, (QStringList{QStringLiteral(" john "), QStringLiteral("x"), QString()}));
}

void TestParameterFile::errorStopsTheRestButKeepsEarlierReaders()
{
    QString error;
    const Opened opened =
        run({QStringLiteral("John+3:16,17x,18"), QStringLiteral("Rom+8:28")}, &error);
    QCOMPARE(opened, (Opened{{43, 3, 16}}));
    QCOMPARE(error, QStringLiteral("'17x' is not a valid integer value"));
}

void TestParameterFile::hostileLines()
{
    QString error;
    // 100,000 characters without a separator: one token, one error.
    run({QString(100000, QLatin1Char('x'))}, &error);
    QVERIFY(error.endsWith(QStringLiteral("' is not a valid integer value")));

    // 100,000 characters of references: every one opened, in order.
    QString line = QStringLiteral("John+3:");
    while (line.size() < 100000)
        line += QStringLiteral("16,");
    const Opened opened = run({line});
    QCOMPARE(opened.size(), (line.size() - 7) / 3 + 1);

    // Binary bytes decode to characters that are simply part of a token.
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(char(i));
    error.clear();
    run(ParameterParser::splitLines(binary), &error);
    QVERIFY(!error.isEmpty());
}

void TestParameterFile::lineSplitting_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("no final break") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("lone cr") << QByteArray("a\rb") << QStringList{"a", "b"};
    QTest::newRow("empty line") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("empty between") << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("cr cr lf") << QByteArray("a\r\r\n") << QStringList{"a", ""};
    QTest::newRow("nul kept") << QByteArray("a\0b\r\n", 5)
                              << QStringList{QString("a") + QChar(0) + "b"};
    QTest::newRow("utf-8") << QByteArray("Jo\xc3\xa9+1")
                           << QStringList{QString::fromUtf8("Jo\u00e9+1")};
}

void TestParameterFile::lineSplitting()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, lines);
    QCOMPARE(ParameterParser::splitLines(data), lines);
}

void TestParameterFile::appendArgumentWritesOneCrLfLine()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    QVERIFY(ParameterFile::appendArgument(folder, QStringLiteral("John+3:16")));
    QVERIFY(ParameterFile::appendArgument(folder, QStringLiteral("Rom+8:28")));
    QCOMPARE(readFile(folder + "param.txt"), QByteArray("John+3:16\r\nRom+8:28\r\n"));
    QVERIFY(!ParameterFile::appendArgument(folder + "missing/", QStringLiteral("x")));
}

namespace {
// The largest file this process may write: a file system that is full once
// the file reaches that size, with no root or tmpfs needed.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedSignal);
    }

private:
    rlimit m_saved{};
    void (*m_savedSignal)(int) = SIG_DFL;
};
} // namespace

void TestParameterFile::failedAppendLeavesNoPartLine_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("disk full") << "full"
                               << "File too large";
    QTest::newRow("room for part of the line") << "part"
                                               << "disk is full";
    QTest::newRow("param.txt a folder") << "folder"
                                        << "not a regular file";
    // Opening a FIFO for writing would wait for a reader for ever.
    QTest::newRow("param.txt a FIFO") << "fifo"
                                      << "not a regular file";
}

void TestParameterFile::failedAppendLeavesNoPartLine()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    const QString inbox = folder + "param.txt";
    const QByteArray before = "Gen+1:1\r\n";
    if (obstacle == "folder")
        QVERIFY(QDir(folder).mkdir("param.txt"));
    else if (obstacle == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(inbox).constData(), 0600), 0);
    else
        QVERIFY(writeFile(inbox, before));

    QString error;
    bool appended = true;
    {
        const rlim_t room = obstacle == "part" ? 4 : 0;
        std::unique_ptr<FileSizeLimit> limit;
        if (obstacle == "full" || obstacle == "part")
            limit = std::make_unique<FileSizeLimit>(before.size() + room);
        appended = ParameterFile::appendArgument(folder, QStringLiteral("John+3:16"), &error);
    }
    QVERIFY(!appended);
    QVERIFY2(error.contains(inbox), qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    if (obstacle == "full" || obstacle == "part")
        QCOMPARE(readFile(inbox), before);
}

void TestParameterFile::folderInTheWayIsNamed_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<int>("status");
    QTest::newRow("param.txt") << "param.txt" << false << int(ParameterFile::TakeOver::Failed);
    QTest::newRow("~param.txt") << "~param.txt" << false << int(ParameterFile::TakeOver::Failed);
    QTest::newRow("empty ~param.txt")
        << "~param.txt" << true << int(ParameterFile::TakeOver::Taken);
}

void TestParameterFile::folderInTheWayIsNamed()
{
    QFETCH(QString, folderName);
    QFETCH(bool, empty);
    QFETCH(int, status);
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    QVERIFY(QDir(folder).mkpath(empty ? folderName : folderName + "/kept"));
    if (folderName != "param.txt")
        QVERIFY(writeFile(folder + "param.txt", "John+3:16\r\n"));
    ParameterFile::Inbox inbox;
    const ParameterFile::TakeOver result = inbox.takeOver(folder);
    QCOMPARE(int(result.status), status);
    if (status == ParameterFile::TakeOver::Failed) {
        // The message names the folder that blocks, and nothing was moved.
        const QString named = folder + folderName + " is a folder";
        QVERIFY2(result.message.contains(named), qPrintable(result.message));
        QVERIFY(QFileInfo(folder + folderName + "/kept").isDir());
        QCOMPARE(inbox.takeOver(folder).status, ParameterFile::TakeOver::Waiting);
    }
}

void TestParameterFile::takeOverRenamesAndReads()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    ParameterFile::Inbox inbox;
    QCOMPARE(inbox.takeOver(folder).status, ParameterFile::TakeOver::NoFile);

    QVERIFY(writeFile(folder + "param.txt", "John+3:16\r\n17\r\n"));
    const ParameterFile::TakeOver taken = inbox.takeOver(folder);
    QCOMPARE(taken.status, ParameterFile::TakeOver::Taken);
    QCOMPARE(taken.lines, (QStringList{"John+3:16", "17"}));
    QVERIFY(!QFile::exists(folder + "param.txt"));
    // The working copy stays until the next take-over.
    QCOMPARE(readFile(folder + "~param.txt"), QByteArray("John+3:16\r\n17\r\n"));
    QCOMPARE(inbox.takeOver(folder).status, ParameterFile::TakeOver::NoFile);
    QVERIFY(QFile::exists(folder + "~param.txt"));
}

void TestParameterFile::secondTakeOverReplacesTheWorkingCopy()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    ParameterFile::Inbox inbox;
    QVERIFY(writeFile(folder + "param.txt", "first\r\n"));
    QCOMPARE(inbox.takeOver(folder).status, ParameterFile::TakeOver::Taken);
    QVERIFY(ParameterFile::appendArgument(folder, QStringLiteral("second")));
    const ParameterFile::TakeOver taken = inbox.takeOver(folder);
    QCOMPARE(taken.lines, QStringList{"second"});
    QCOMPARE(readFile(folder + "~param.txt"), QByteArray("second\r\n"));
}

void TestParameterFile::vanishedFileIsNoFile()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    ParameterFile::Inbox inbox;
    QVERIFY(writeFile(folder + "param.txt", "John+3:16\r\n"));
    ParameterFile::Inbox::setBeforeRenameHookForTesting(
        [folder] { QFile::remove(folder + "param.txt"); });
    const ParameterFile::TakeOver result = inbox.takeOver(folder);
    ParameterFile::Inbox::setBeforeRenameHookForTesting({});
    QCOMPARE(result.status, ParameterFile::TakeOver::NoFile);
    QVERIFY(result.message.isEmpty());
    // The next hand-off is taken as usual.
    QVERIFY(ParameterFile::appendArgument(folder, QStringLiteral("Rom+8:28")));
    QCOMPARE(inbox.takeOver(folder).lines, QStringList{"Rom+8:28"});
}

void TestParameterFile::unrenamableFileIsReportedOnce()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    // A folder in the way of the working copy: neither deleted nor replaced.
    QVERIFY(QDir(folder).mkpath("~param.txt/blocker"));
    QVERIFY(writeFile(folder + "param.txt", "John+3:16\r\n"));
    ParameterFile::Inbox inbox;
    const ParameterFile::TakeOver first = inbox.takeOver(folder);
    QCOMPARE(first.status, ParameterFile::TakeOver::Failed);
    QVERIFY(first.message.contains("param.txt"));
    for (int tick = 0; tick < 5; ++tick)
        QCOMPARE(inbox.takeOver(folder).status, ParameterFile::TakeOver::Waiting);
    // A new hand-off changes the file: worth one more message.
    QVERIFY(ParameterFile::appendArgument(folder, QStringLiteral("Rom+8:28")));
    QCOMPARE(inbox.takeOver(folder).status, ParameterFile::TakeOver::Failed);
    QCOMPARE(inbox.takeOver(folder).status, ParameterFile::TakeOver::Waiting);
    // Once the way is clear, everything waiting is taken.
    QVERIFY(QDir(folder + "~param.txt").removeRecursively());
    QCOMPARE(inbox.takeOver(folder).lines, (QStringList{"John+3:16", "Rom+8:28"}));
}

// A FIFO would block the take-over for ever, a link to a device would be
// read without end: neither is read, and the next hand-off goes through.
void TestParameterFile::onlyPlainFilesAreRead_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::newRow("fifo") << true;
    QTest::newRow("link to /dev/zero") << false;
}

void TestParameterFile::onlyPlainFilesAreRead()
{
    QFETCH(bool, fifo);
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    if (fifo)
        QCOMPARE(mkfifo(QFile::encodeName(folder + "param.txt").constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), folder + "param.txt"));
    ParameterFile::Inbox inbox;
    const ParameterFile::TakeOver refused = inbox.takeOver(folder);
    QCOMPARE(refused.status, ParameterFile::TakeOver::Failed);
    QVERIFY2(refused.message.contains(folder + "~param.txt"), qPrintable(refused.message));
    QCOMPARE(inbox.takeOver(folder).status, ParameterFile::TakeOver::NoFile);
    QVERIFY(ParameterFile::appendArgument(folder, QStringLiteral("Rom+8:28")));
    QCOMPARE(inbox.takeOver(folder).lines, QStringList{"Rom+8:28"});
}

// Whole lines within the first megabyte are read; the rest is told once.
void TestParameterFile::atMostAMegabyteIsRead()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    const QByteArray line = "John+3:16\r\n";
    const int count = int(ParameterFile::MaxBytesPerTakeOver / line.size());
    QVERIFY(writeFile(folder + "param.txt", line.repeated(count + 1000)));
    ParameterFile::Inbox inbox;
    const ParameterFile::TakeOver taken = inbox.takeOver(folder);
    QCOMPARE(taken.status, ParameterFile::TakeOver::Taken);
    QCOMPARE(taken.lines.size(), count);
    QCOMPARE(taken.lines.last(), QStringLiteral("John+3:16"));
    QVERIFY2(taken.notice.contains(folder + "~param.txt"), qPrintable(taken.notice));
}

// Every line a sender was told was handed over is taken exactly once: one
// appended while a take-over renames the file, and one left in a working
// copy that a killed take-over renamed but never read.
void TestParameterFile::noLineIsLost_data()
{
    QTest::addColumn<int>("leftoverMode"); // 0: no ~param.txt
    QTest::addColumn<bool>("inbox");
    QTest::addColumn<bool>("racing");
    QTest::addColumn<QStringList>("taken");
    QTest::newRow("sender racing the rename")
        << 0 << true << true << QStringList{"John+3:16", "Rev+22:21"};
    QTest::newRow("unread working copy, new inbox")
        << 0600 << true << false << QStringList{"Rom+8:28", "John+3:16"};
    QTest::newRow("unread working copy alone") << 0600 << false << false << QStringList{"Rom+8:28"};
    QTest::newRow("working copy read before") << 0400 << true << false << QStringList{"John+3:16"};
    QTest::newRow("old working copy, world-readable") << 0644 << false << false << QStringList{};
}

void TestParameterFile::noLineIsLost()
{
    QFETCH(int, leftoverMode);
    QFETCH(bool, inbox);
    QFETCH(bool, racing);
    QFETCH(QStringList, taken);
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    if (leftoverMode) {
        QVERIFY(writeFile(folder + "~param.txt", "Rom+8:28\r\n"));
        QCOMPARE(
            ::chmod(QFile::encodeName(folder + "~param.txt").constData(), mode_t(leftoverMode)), 0);
    }
    if (inbox)
        QVERIFY(ParameterFile::appendArgument(folder, QStringLiteral("John+3:16")));
    ParameterFile::Inbox takeOver;
    QStringList lines;
    if (racing) {
        // The sender has param.txt open when the take-over renames it.
        bool raced = false;
        ParameterFile::setBeforeLockHookForTesting([&] {
            if (!raced) {
                raced = true;
                lines += takeOver.takeOver(folder).lines;
            }
        });
        QVERIFY(ParameterFile::appendArgument(folder, QStringLiteral("Rev+22:21")));
        ParameterFile::setBeforeLockHookForTesting({});
    }
    for (int tick = 0; tick < 3; ++tick)
        lines += takeOver.takeOver(folder).lines;
    // A later start reads nothing twice.
    ParameterFile::Inbox restarted;
    lines += restarted.takeOver(folder).lines;
    QCOMPARE(lines, taken);
}

// A sender is told at once what the running instance would not open: never
// success for a list that is then cut, nor a write through a planted link
// or into another user's file.
void TestParameterFile::senderIsRefused_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("101 passages") << "passages"
                                  << "more than 100 passages";
    QTest::newRow("inbox full") << "full"
                                << "have not been taken yet";
    QTest::newRow("link to a private file") << "link"
                                            << "symbolic link";
    QTest::newRow("another user's file") << "owner"
                                         << "belongs to another user";
}

void TestParameterFile::senderIsRefused()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    const QString inbox = folder + "param.txt";
    const QString privateFile = folder + "private.txt";
    const QByteArray secret = "secret\n";
    QString text = QStringLiteral("John+3:16");
    if (obstacle == "passages") {
        text += QStringLiteral(",17").repeated(ParameterFile::MaxReadersPerLine);
    } else if (obstacle == "full") {
        QVERIFY(writeFile(
            inbox,
            QByteArray("Gen+1:1\r\n").repeated(int(ParameterFile::MaxBytesPerTakeOver / 9))));
    } else if (obstacle == "link") {
        QVERIFY(writeFile(privateFile, secret));
        QVERIFY(QFile::link(privateFile, inbox));
    } else {
        QVERIFY(writeFile(inbox, "Gen+1:1\r\n"));
        // Only root may give a file away: run as a person, this one case
        // cannot be set up, and nothing is missing.
        if (::chown(QFile::encodeName(inbox).constData(), 65534, 65534) != 0)
            QSKIP("files cannot be given to another user here");
    }
    const QByteArray before = readFile(inbox);
    QString error;
    QVERIFY(!ParameterFile::appendArgument(folder, text, &error));
    QVERIFY2(error.contains(inbox) && error.contains(reason), qPrintable(error));
    QCOMPARE(readFile(inbox), before);
    if (obstacle == "link" || obstacle == "owner") {
        // Nor does the take-over read it.
        ParameterFile::Inbox takeOver;
        const ParameterFile::TakeOver refused = takeOver.takeOver(folder);
        QCOMPARE(refused.status, ParameterFile::TakeOver::Failed);
        QVERIFY2(refused.message.contains(reason), qPrintable(refused.message));
        QVERIFY(refused.lines.isEmpty());
        if (obstacle == "link")
            QCOMPARE(readFile(privateFile), secret);
    }
}

// Whatever the umask, the hand-off is readable by its owner only.
void TestParameterFile::filesAreOwnerOnly()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/new/data/";
    const mode_t saved = ::umask(0);
    QVERIFY(PrivateFile::makeFolder(folder));
    const bool appended = ParameterFile::appendArgument(folder, QStringLiteral("John+3:16"));
    ::umask(saved);
    QVERIFY(appended);
    const auto modeOf = [](const QString &path) {
        struct stat status;
        return ::stat(QFile::encodeName(path).constData(), &status) == 0
                   ? int(status.st_mode & 07777)
                   : -1;
    };
    QCOMPARE(modeOf(dir.path() + "/new"), 0700);
    QCOMPARE(modeOf(folder), 0700);
    QCOMPARE(modeOf(folder + "param.txt"), 0600);
    ParameterFile::Inbox inbox;
    QCOMPARE(inbox.takeOver(folder).lines, QStringList{"John+3:16"});
    QCOMPARE(modeOf(folder + "~param.txt"), 0400);
    // A folder an earlier version left open is closed.
    QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7755)));
    QVERIFY(PrivateFile::makeFolder(folder));
    QCOMPARE(modeOf(folder), 0700);
}

// The instance lock lives in the user's runtime folder, one per data
// folder; the data folder keeps it where there is no private runtime folder.
void TestParameterFile::instanceLockInRuntimeFolder_data()
{
    QTest::addColumn<QString>("runtime"); // "set", "unset", "shared"
    QTest::newRow("XDG_RUNTIME_DIR") << "set";
    QTest::newRow("unset") << "unset";
    QTest::newRow("open to others") << "shared";
}

void TestParameterFile::instanceLockInRuntimeFolder()
{
    QFETCH(QString, runtime);
    QTemporaryDir data;
    QTemporaryDir runtimeDir;
    const QString folder = data.path() + QDir::separator();
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    if (runtime == "unset")
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    QVERIFY(QFile::setPermissions(runtimeDir.path(),
                                  runtime == "shared"
                                      ? QFile::Permissions(0x7777)
                                      : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString lock = SingleInstance::lockPath(folder);
    SingleInstance first;
    SingleInstance second;
    const SingleInstance::Outcome firstOutcome = first.acquire(folder);
    const SingleInstance::Outcome secondOutcome = second.acquire(folder);
    if (wasSet)
        qputenv("XDG_RUNTIME_DIR", saved);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    QCOMPARE(firstOutcome, SingleInstance::Outcome::Acquired);
    QCOMPARE(secondOutcome, SingleInstance::Outcome::Running);
    QCOMPARE(QFileInfo(lock).path(),
             runtime == "set" ? QFileInfo(runtimeDir.path()).filePath() : data.path());
    QVERIFY(QFileInfo(lock).isFile());
    QCOMPARE(int(QFileInfo(lock).permissions() & 0x0077), 0);
}

void TestParameterFile::timerOpensReaders()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
    QVERIFY(writeFile(sandbox.filePath("param.txt"), "John+3:16,17\r\nPs+119:\r\n\r\n"));
    main.TimerParameterFileTimer();
    const QList<TFormBook *> opened = readers(main);
    QCOMPARE(opened.size(), 4);
    QCOMPARE(placeOf(opened[0]), std::make_tuple(43, 3, 16));
    QCOMPARE(placeOf(opened[1]), std::make_tuple(43, 3, 17));
    QCOMPARE(placeOf(opened[2]), std::make_tuple(19, 119, 17));
    QCOMPARE(placeOf(opened[3]), std::make_tuple(19, 119, 17));
    QCOMPARE(opened[0]->windowTitle(), QStringLiteral("John 3:16"));
    QCOMPARE(main.activeChild(), opened[3]);
    QVERIFY(!QFile::exists(sandbox.filePath("param.txt")));
    QVERIFY(QFile::exists(sandbox.filePath("~param.txt")));

    // Nothing to take: nothing happens.
    main.TimerParameterFileTimer();
    QCOMPARE(readers(main).size(), 4);
}

void TestParameterFile::timerReportsBadNumberAndRecovers()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
    QVERIFY(writeFile(sandbox.filePath("param.txt"), "Rom+8:28,29 \r\nJohn+1:1\r\n"));
    MessageAnswers answers;
    main.TimerParameterFileTimer();
    QCOMPARE(answers.texts, QStringList{QStringLiteral("'29 ' is not a valid integer value")});
    QCOMPARE(readers(main).size(), 1);
    QCOMPARE(placeOf(readers(main)[0]), std::make_tuple(45, 8, 28));

    // The next hand-off, after a take-over that cannot happen, still works.
    QVERIFY(QFile::remove(sandbox.filePath("~param.txt")));
    QVERIFY(QDir(sandbox.path()).mkpath("~param.txt/blocker"));
    QVERIFY(ParameterFile::appendArgument(sandbox.path(), QStringLiteral("John+3:16")));
    answers.texts.clear();
    main.TimerParameterFileTimer();
    QCOMPARE(answers.texts.size(), 1);
    main.TimerParameterFileTimer(); // reported already: quiet
    QCOMPARE(answers.texts.size(), 1);
    QVERIFY(QDir(sandbox.filePath("~param.txt")).removeRecursively());
    main.TimerParameterFileTimer();
    QCOMPARE(readers(main).size(), 2);
    QCOMPARE(placeOf(readers(main)[1]), std::make_tuple(43, 3, 16));
}

// The take-over belongs to its main window: a failure one window has told
// is not kept quiet by the next window.
void TestParameterFile::eachWindowTakesOverOnItsOwn()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    QVERIFY(QDir(sandbox.path()).mkpath("~param.txt/blocker"));
    QVERIFY(ParameterFile::appendArgument(sandbox.path(), QStringLiteral("John+3:16")));
    MessageAnswers answers;
    for (int window = 1; window <= 2; ++window) {
        TFormMain main;
        main.TimerStartup->stop();
        main.TimerParameterFile->stop();
        main.TimerParameterFileTimer();
        main.TimerParameterFileTimer(); // told already: quiet
        QCOMPARE(answers.texts.size(), window);
        QVERIFY(readers(main).isEmpty());
    }
}

void TestParameterFile::timerCapsRunawayLists()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
    QVERIFY(writeFile(sandbox.filePath("param.txt"), QByteArray(5000, ',')));
    MessageAnswers answers;
    main.TimerParameterFileTimer();
    QCOMPARE(answers.texts.size(), 1);
    QCOMPARE(readers(main).size(), ParameterFile::MaxReadersPerLine);
}

// The cap counts the readers of one line, one sender's list: many senders
// at once are all served, and a runaway line does not stop the next one.
void TestParameterFile::timerCapIsPerLine()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
    const int senders = ParameterFile::MaxReadersPerLine + 10;
    const QByteArray runaway = "Ps+23:1" + QByteArray(ParameterFile::MaxReadersPerLine, ',');
    QVERIFY(writeFile(sandbox.filePath("param.txt"),
                      "Gen+1:1\r\n" + runaway + "\r\n" +
                          QByteArray("Rev+22:21\r\n").repeated(senders - 1)));
    MessageAnswers answers;
    main.TimerParameterFileTimer();
    const QString message = answers.all();
    QVERIFY2(message.contains("more than 100 passages"), qPrintable(message));
    const QList<TFormBook *> opened = readers(main);
    QCOMPARE(opened.size(), senders + ParameterFile::MaxReadersPerLine);
    QCOMPARE(placeOf(opened.last()), std::make_tuple(66, 22, 21));
}

// "John+John+..." opens no reader but searches the catalogue at every "+":
// the searches of one take-over are bounded too.
void TestParameterFile::timerBoundsBookLookups()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
    QVERIFY(writeFile(sandbox.filePath("param.txt"), QByteArray("John+").repeated(200000)));
    MessageAnswers answers;
    main.TimerParameterFileTimer();
    const QString message = answers.all();
    QVERIFY2(message.contains(sandbox.filePath("~param.txt")), qPrintable(message));
    QVERIFY(readers(main).isEmpty());
}

// A plain later start hands over an empty list: the file appears if it was
// missing, a waiting list is left as it is, and what is no plain file is
// named without waiting on it.
void TestParameterFile::askingToComeForwardKeepsTheList_data()
{
    QTest::addColumn<QString>("inTheWay");
    QTest::addColumn<QByteArray>("waiting");
    QTest::addColumn<bool>("asked");
    QTest::newRow("no list") << QString() << QByteArray() << true;
    QTest::newRow("a list waiting") << "file" << QByteArray("John+3:16\r\n") << true;
    QTest::newRow("a folder") << "folder" << QByteArray() << false;
    QTest::newRow("a FIFO") << "fifo" << QByteArray() << false;
}

void TestParameterFile::askingToComeForwardKeepsTheList()
{
    QFETCH(QString, inTheWay);
    QFETCH(QByteArray, waiting);
    QFETCH(bool, asked);
    QTemporaryDir dir;
    const QString folder = dir.path() + QDir::separator();
    const QString inbox = folder + "param.txt";
    if (inTheWay == "file")
        QVERIFY(writeFile(inbox, waiting));
    else if (inTheWay == "folder")
        QVERIFY(QDir(folder).mkdir("param.txt"));
    else if (inTheWay == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(inbox).constData(), 0600), 0);

    QString error;
    QCOMPARE(ComeForward::ask(folder, &error), asked);
    if (!asked) {
        QVERIFY2(error.contains(inbox), qPrintable(error));
        return;
    }
    QVERIFY(QFileInfo(inbox).isFile());
    QCOMPARE(readFile(inbox), waiting);
    ParameterFile::Inbox taker;
    QCOMPARE(taker.takeOver(folder).lines.size(), waiting.isEmpty() ? 0 : 1);
}

// Every take-over restores a minimized main window, maximized as it was;
// an empty list opens no reader, a reference opens one, active.
void TestParameterFile::takeOverBringsTheWindowForward_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("readerCount");
    QTest::newRow("plain start") << QByteArray() << 0;
    QTest::newRow("with a reference") << QByteArray("Rom+8:28\r\n") << 1;
}

void TestParameterFile::takeOverBringsTheWindowForward()
{
    QFETCH(QByteArray, list);
    QFETCH(int, readerCount);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    TFormMain main;
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
    main.show();
    main.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    QVERIFY(main.isMinimized());

    QVERIFY(writeFile(sandbox.filePath("param.txt"), list));
    main.TimerParameterFileTimer();
    QVERIFY(!main.isMinimized());
    QVERIFY(main.isMaximized());
    QVERIFY(main.isVisible());
    const QList<TFormBook *> opened = readers(main);
    QCOMPARE(opened.size(), readerCount);
    if (readerCount)
        QCOMPARE(main.activeChild(), opened.last());

    // Nothing handed over: the window is left where the person put it.
    main.setWindowState(Qt::WindowMinimized);
    main.TimerParameterFileTimer();
    QVERIFY(main.isMinimized());
}

// A catalogue that cannot answer is named with the real cause: the missing
// index, or the file whose abbreviations name two books.
void TestParameterFile::timerNamesTheDamagedCatalogue_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("cause");
    QTest::newRow("no abbreviation index")
        << QStringList{"drop index IDX_BookAbbr"} << "IDX_BookAbbr";
    QTest::newRow("two books, one abbreviation")
        << QStringList{"drop index IDX_BookAbbr",
                       "create index IDX_BookAbbr on db (BookAbbr collate nocase)",
                       "update db set BookAbbr = 'John' where Book = 1"}
        << "inconsistent: the abbreviation \"John\" names both book";
}

void TestParameterFile::timerNamesTheDamagedCatalogue()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, cause);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString path = sandbox.filePath("Chapters.db");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "catalogue");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        for (const QString &statement : statements)
            QVERIFY2(query.exec(statement), qPrintable(statement));
    }
    QSqlDatabase::removeDatabase("catalogue");
    Engine::reset();
    TFormMain main;
    main.TimerStartup->stop();
    main.TimerParameterFile->stop();
    QVERIFY(writeFile(sandbox.filePath("param.txt"), "John+3:16\r\n"));
    MessageAnswers answers;
    main.TimerParameterFileTimer();
    const QString message = answers.all();
    QVERIFY2(message.contains(cause) && message.contains(QDir::toNativeSeparators(path)),
             qPrintable(message));
    QVERIFY(readers(main).isEmpty());
}

QTEST_MAIN(TestParameterFile)
#include "tst_parameterfile.moc"
