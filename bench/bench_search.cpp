// Verse search benchmark: the whole search of the real window (the scan of
// the texts, grid filling and the repaint that follows) for a keyword of a
// few hundred verses, the commonest word and a two-keyword "any" search, the
// same with whole words and within one book, set against indexed and
// unindexed peers answering the same question: Debian's diatheke with a
// CLucene index (and its plain look-up, the cost of its own start),
// diatheke's phrase search, and bible-kjv's whole-word concordance, with and
// without the verse texts.
//
// Usage: bench_search [program-folder] [runs] [search]
// With a search (a word of its label, such as faith), only that search runs,
// without the peers: the form to run under a profiler.
// Prints two Markdown tables: Kelvaro's medians, and each peer's median with
// the ratio peer / Kelvaro.

#include "scripture/dataset.h"
#include "search/formsearch.h"
#include "search/resultsgrid.h"
#include "search/versescan.h"
#include "search/versetexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// One search of the window, with the peers that answer the same question.
struct Search
{
    const char *label;
    QStringList keywords; // Edit1 to Edit5
    bool all;
    double targetMs;
    QString lucene;          // diatheke -s lucene query, empty: none
    QString phrase;          // diatheke -s phrase keyword, empty: none
    QStringList concordance; // bible-kjv commands
    bool wholeWords = false;
    int scope = 0; // ComboBoxScope's index: 0 the whole Bible, 3 + n - 1 book n
};

constexpr int kMatthew = 3 + 40 - 1;
constexpr int kRomans = 3 + 45 - 1;

const Search kSearches[] = {
    {"\"faith\"",
     {QStringLiteral("faith")},
     true,
     4.0,
     QStringLiteral("faith"),
     QStringLiteral("faith"),
     {QStringLiteral("??faith")}},
    {"\"the\"",
     {QStringLiteral("the")},
     true,
     25.0,
     QStringLiteral("the"),
     QStringLiteral("the"),
     {QStringLiteral("??the")}},
    {"\"Two\" any \"three\"",
     {QStringLiteral("Two"), QString(), QStringLiteral("three")},
     false,
     6.0,
     QStringLiteral("two OR three"),
     QString(),
     {QStringLiteral("??two"), QStringLiteral("?or three")}},
    // Whole words: bible-kjv's concordance answers exactly this question.
    {"\"faith\", whole words",
     {QStringLiteral("faith")},
     true,
     4.0,
     QString(),
     QString(),
     {QStringLiteral("??faith")},
     true},
    {"\"the\", whole words",
     {QStringLiteral("the")},
     true,
     25.0,
     QString(),
     QString(),
     {QStringLiteral("??the")},
     true},
    {"\"Two\" any \"three\", whole words",
     {QStringLiteral("Two"), QString(), QStringLiteral("three")},
     false,
     6.0,
     QString(),
     QString(),
     {QStringLiteral("??two"), QStringLiteral("?or three")},
     true},
    {"\"faith\" in Romans", {QStringLiteral("faith")}, true, 4.0, {}, {}, {}, false, kRomans},
    {"\"the\" in Romans", {QStringLiteral("the")}, true, 25.0, {}, {}, {}, false, kRomans},
    {"\"Two\" any \"three\" in Matthew",
     {QStringLiteral("Two"), QString(), QStringLiteral("three")},
     false,
     6.0,
     {},
     {},
     {},
     false,
     kMatthew},
};

// Processor time of this thread, in ms: steadier than the wall clock on a
// machine that other work keeps busy.
double threadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The module name as the installed library lists it.
QString kjvModule()
{
    QProcess list;
    list.start(QStringLiteral("diatheke"), {QStringLiteral("-b"), QStringLiteral("system"),
                                            QStringLiteral("-k"), QStringLiteral("modulelist")});
    if (!list.waitForFinished(30000))
        return {};
    const QStringList lines =
        QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const int colon = line.indexOf(QLatin1String(" : "));
        if (colon > 0 && line.contains(QLatin1String("King James"), Qt::CaseInsensitive))
            return line.left(colon).trimmed();
    }
    return {};
}

// A scratch copy of the system's SWORD library with the module's CLucene
// index (mkfastmod), built once beside this program; the system's copy is
// left alone. Returns the SWORD_PATH to use, or an empty string.
QString indexedLibrary(const QString &module)
{
    const QString system = QStringLiteral("/usr/share/sword");
    const QString scratch = QCoreApplication::applicationDirPath() + QStringLiteral("/sword");
    const QString index =
        scratch + QStringLiteral("/modules/texts/ztext/") + module + QStringLiteral("/lucene");
    if (QFileInfo::exists(index))
        return scratch;
    if (QStandardPaths::findExecutable(QStringLiteral("mkfastmod")).isEmpty() ||
        !QFileInfo::exists(system + QStringLiteral("/mods.d")))
        return {};
    QDir(scratch).removeRecursively();
    QDir().mkpath(scratch);
    if (QProcess::execute(QStringLiteral("cp"),
                          {QStringLiteral("-r"), system + QStringLiteral("/mods.d"),
                           system + QStringLiteral("/modules"), scratch}) != 0)
        return {};
    std::fprintf(stderr, "building the CLucene index in %s\n", qPrintable(scratch));
    QProcess build;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SWORD_PATH"), scratch);
    build.setProcessEnvironment(environment);
    build.start(QStringLiteral("mkfastmod"), {module});
    if (!build.waitForFinished(600000) || build.exitCode() != 0 || !QFileInfo::exists(index))
        return {};
    return scratch;
}

// One whole peer process, from start to its end; -1 on failure. The output
// is kept for the match count.
double runPeer(const QString &program, const QStringList &arguments, const QString &swordPath,
               QByteArray *output = nullptr)
{
    QProcess process;
    if (!swordPath.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("SWORD_PATH"), swordPath);
        process.setProcessEnvironment(environment);
    }
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return -1;
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (output)
        *output = process.readAllStandardOutput();
    return elapsed;
}

struct Peer
{
    QString name;
    QString program;
    QStringList arguments;
    QString swordPath;
};

QString peerCount(const Peer &peer, const QByteArray &output)
{
    const QString text = QString::fromUtf8(output);
    static const QRegularExpression diatheke(QStringLiteral("-- (\\d+) matches total"));
    static const QRegularExpression bible(
        QStringLiteral("\\[(\\d+) refs in combined list\\]|"
                       "Searching for '[^']*'\\.\\.\\. \\[(\\d+) refs\\]"));
    if (peer.program == QLatin1String("diatheke")) {
        const QRegularExpressionMatch m = diatheke.match(text);
        return m.hasMatch() ? m.captured(1) : QStringLiteral("1");
    }
    QString count;
    for (auto it = bible.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        count = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    }
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 && argv[1][0] ? QString::fromLocal8Bit(argv[1])
                                                  : QStringLiteral(KELVARO_PROGRAM_DIR);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 31;
    const int peerRuns = std::max(5, runs / 3) | 1;
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (!QDir::setCurrent(folder)) {
        std::fprintf(stderr, "no program folder %s\n", qPrintable(folder));
        return 1;
    }

    TFormSearch form;
    form.show();
    QApplication::processEvents();

    std::printf("| Search | Kelvaro, whole search (ms) | fastest (ms) | processor (ms) | "
                "scan alone (ms) | verses | target |\n|---|---|---|---|---|---|---|\n");
    std::vector<double> ourMedians;
    double firstSearchMs = -1;
    for (const Search &search : kSearches) {
        if (!only.isEmpty() && !QString::fromUtf8(search.label).contains(only)) {
            ourMedians.push_back(0);
            continue;
        }
        const auto boxes = form.keywordBoxes();
        for (int i = 0; i < 5; ++i)
            boxes[std::size_t(i)]->setText(search.keywords.value(i));
        form.ComboBoxconjunction->setCurrentIndex(search.all ? 0 : 1);
        form.CheckBoxWholeWords->setChecked(search.wholeWords);
        form.ComboBoxScope->setCurrentIndex(search.scope);
        // Warm: the texts read (the first search of the process reads them
        // from the table), file pages cached.
        QElapsedTimer firstClock;
        firstClock.start();
        form.BtnSearchClick();
        if (firstSearchMs < 0)
            firstSearchMs = double(firstClock.nsecsElapsed()) / 1e6;
        std::vector<double> wall;
        std::vector<double> cpu;
        for (int run = 0; run < runs; ++run) {
            // The person's pause between two searches: anything left over is
            // done before the clock starts.
            QApplication::processEvents();
            QElapsedTimer clock;
            clock.start();
            const double started = threadMs();
            form.BtnSearchClick();
            // What the event loop does next: the grid's layout and its paint.
            QApplication::processEvents();
            wall.push_back(double(clock.nsecsElapsed()) / 1e6);
            cpu.push_back(threadMs() - started);
        }
        const int found = form.StringGridResults->cell(0, 1).isEmpty()
                              ? 0
                              : form.StringGridResults->rowCount() - 1;

        // The scan's share: the same search over the texts, no window.
        std::vector<double> engine;
        SearchOptions options;
        options.all = search.all;
        options.wholeWords = search.wholeWords;
        if (search.scope >= 3)
            options.firstBook = options.lastBook = search.scope - 2;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            const auto texts = VerseTexts::current();
            const QVector<int> verses = VerseScan::findVerses(*texts, search.keywords, options);
            engine.push_back(double(clock.nsecsElapsed()) / 1e6);
            if (verses.size() != found)
                std::fprintf(stderr, "the scan found %d verses, the window %d\n",
                             int(verses.size()), found);
        }
        ourMedians.push_back(median(wall));
        std::printf("| %s | %.2f | %.2f | %.2f | %.2f | %d | %s %.0f ms |\n", search.label,
                    median(wall), *std::min_element(wall.begin(), wall.end()), median(cpu),
                    median(engine), found, median(wall) <= search.targetMs ? "met," : "MISSED,",
                    search.targetMs);
    }

    std::printf("\nThe process's first search, the verse texts read from the table with it: "
                "%.2f ms\n",
                firstSearchMs);
    if (!only.isEmpty())
        return 0; // one search alone, for a profiler: no peers

    const bool haveDiatheke = !QStandardPaths::findExecutable(QStringLiteral("diatheke")).isEmpty();
    const bool haveBible = !QStandardPaths::findExecutable(QStringLiteral("bible")).isEmpty();
    const QString module = haveDiatheke ? kjvModule() : QString();
    const QString indexed = module.isEmpty() ? QString() : indexedLibrary(module);
    if (module.isEmpty())
        std::fprintf(stderr, "diatheke or its KJV module is missing: no diatheke peers\n");
    else if (indexed.isEmpty())
        std::fprintf(stderr, "mkfastmod (libsword-utils) is missing: no indexed diatheke peer\n");
    if (!haveBible)
        std::fprintf(stderr, "bible (bible-kjv) is missing: no concordance peer\n");

    std::printf("\n| Search | Peer (whole process) | median (ms) | verses | peer / Kelvaro |\n"
                "|---|---|---|---|---|\n");
    if (!indexed.isEmpty()) {
        const Peer lookup{
            QStringLiteral("diatheke plain look-up (John 3:16)"),
            QStringLiteral("diatheke"),
            {QStringLiteral("-b"), module, QStringLiteral("-k"), QStringLiteral("John 3:16")},
            indexed};
        std::vector<double> times;
        for (int run = 0; run < peerRuns; ++run)
            if (const double ms = runPeer(lookup.program, lookup.arguments, lookup.swordPath);
                ms >= 0)
                times.push_back(ms);
        std::printf("| (none) | %s | %.1f | 1 | |\n", qPrintable(lookup.name), median(times));
    }
    for (std::size_t s = 0; s < std::size(kSearches); ++s) {
        const Search &search = kSearches[s];
        std::vector<Peer> peers;
        if (!indexed.isEmpty() && !search.lucene.isEmpty())
            peers.push_back({QStringLiteral("diatheke -s lucene \"%1\"").arg(search.lucene),
                             QStringLiteral("diatheke"),
                             {QStringLiteral("-b"), module, QStringLiteral("-s"),
                              QStringLiteral("lucene"), QStringLiteral("-k"), search.lucene},
                             indexed});
        if (!module.isEmpty() && !search.phrase.isEmpty())
            peers.push_back({QStringLiteral("diatheke -s phrase \"%1\"").arg(search.phrase),
                             QStringLiteral("diatheke"),
                             {QStringLiteral("-b"), module, QStringLiteral("-s"),
                              QStringLiteral("phrase"), QStringLiteral("-k"), search.phrase},
                             QString()});
        if (haveBible && !search.concordance.isEmpty()) {
            const QString commands = QLatin1Char('\'') +
                                     search.concordance.join(QLatin1String("' '")) +
                                     QLatin1Char('\'');
            peers.push_back({QStringLiteral("bible %1").arg(commands), QStringLiteral("bible"),
                             search.concordance, QString()});
            peers.push_back({QStringLiteral("bible %1 '?view' (verse texts)").arg(commands),
                             QStringLiteral("bible"),
                             search.concordance + QStringList{QStringLiteral("?view")}, QString()});
        }
        for (const Peer &peer : peers) {
            std::vector<double> times;
            QByteArray output;
            for (int run = 0; run < peerRuns; ++run)
                if (const double ms =
                        runPeer(peer.program, peer.arguments, peer.swordPath, &output);
                    ms >= 0)
                    times.push_back(ms);
            if (times.empty()) {
                std::printf("| %s | %s | failed | | |\n", search.label, qPrintable(peer.name));
                continue;
            }
            std::printf("| %s | %s | %.1f | %s | %.1f |\n", search.label, qPrintable(peer.name),
                        median(times), qPrintable(peerCount(peer, output)),
                        median(times) / ourMedians[s]);
        }
    }
    std::printf("\nKelvaro: medians of %d runs in one process; peers: medians of %d runs.\n", runs,
                peerRuns);
    return 0;
}
