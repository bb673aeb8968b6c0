// Verse search benchmark: the whole search of the real window (statement,
// engine, grid filling and the repaint that follows) for a keyword of a few
// hundred verses and for the commonest word, set against Debian's diatheke
// searching the same words in its KJV module.
//
// Usage: bench_search [program-folder] [runs]
// Prints the median, minimum and maximum of each measurement in ms, and the
// ratios diatheke / Kelvaro.

#include "scripture/dataset.h"
#include "search/formsearch.h"
#include "search/resultsgrid.h"
#include "search/searchstatement.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

struct Word
{
    const char *keyword;
    const char *what;
    double targetMs;
};

const Word kWords[] = {
    {"faith", "a few hundred verses", 30.0},
    {"the", "the commonest word", 500.0},
};

// diatheke's phrase search is a case-blind substring search over each verse,
// the nearest to ours (multiword would split the keyword).
const char *const kDiathekeSearchType = "phrase";

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
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void report(const QString &what, const std::vector<double> &values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    std::printf("%-52s median %8.2f ms   min %8.2f   max %8.2f   (%zu runs)\n", qPrintable(what),
                median(values), *low, *high, values.size());
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

// One diatheke search, from process start to its end; -1 on failure.
double diathekeRun(const QString &module, const QString &keyword, int *matches)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral("diatheke"),
                  {QStringLiteral("-b"), module, QStringLiteral("-s"),
                   QString::fromLatin1(kDiathekeSearchType), QStringLiteral("-k"), keyword});
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return -1;
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    const int at = output.lastIndexOf(QLatin1String(" matches total"));
    if (matches && at > 0) {
        const int start = output.lastIndexOf(QLatin1String("-- "), at);
        *matches = output.mid(start + 3, at - start - 3).trimmed().toInt();
    }
    return elapsed;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 && argv[1][0] ? QString::fromLocal8Bit(argv[1])
                                                  : QStringLiteral(KELVARO_PROGRAM_DIR);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
    if (!QDir::setCurrent(folder)) {
        std::fprintf(stderr, "no program folder %s\n", qPrintable(folder));
        return 1;
    }

    TFormSearch form;
    form.show();
    QApplication::processEvents();

    std::vector<double> ours[std::size(kWords)];
    std::vector<double> oursCpu[std::size(kWords)];
    int counts[std::size(kWords)] = {};
    for (std::size_t w = 0; w < std::size(kWords); ++w) {
        form.Edit1->setText(QString::fromLatin1(kWords[w].keyword));
        form.BtnSearchClick(); // warm: tables attached, file pages cached
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            const double cpu = threadMs();
            form.BtnSearchClick();
            form.StringGridResults->viewport()->repaint();
            ours[w].push_back(double(clock.nsecsElapsed()) / 1e6);
            oursCpu[w].push_back(threadMs() - cpu);
        }
        counts[w] = form.StringGridResults->rowCount() - 1;
    }

    // The engine's share: the same statement opened and read, no window.
    std::vector<double> engine[std::size(kWords)];
    std::vector<double> engineCpu[std::size(kWords)];
    for (std::size_t w = 0; w < std::size(kWords); ++w) {
        const QStringList keywords{QString::fromLatin1(kWords[w].keyword)};
        Query query;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            const double cpu = threadMs();
            query.close();
            query.clearSql();
            for (const QString &line : buildSearchStatement(keywords, true))
                query.addLine(line);
            query.open();
            for (query.first(); !query.eof(); query.next())
                query.fieldByName(QStringLiteral("Scripture Text"));
            engine[w].push_back(double(clock.nsecsElapsed()) / 1e6);
            engineCpu[w].push_back(threadMs() - cpu);
        }
    }

    const QString module = QStandardPaths::findExecutable(QStringLiteral("diatheke")).isEmpty()
                               ? QString()
                               : kjvModule();
    std::vector<double> theirs[std::size(kWords)];
    int theirCounts[std::size(kWords)] = {};
    if (!module.isEmpty()) {
        const int diathekeRuns = std::max(3, runs / 3);
        for (std::size_t w = 0; w < std::size(kWords); ++w) {
            for (int run = 0; run < diathekeRuns; ++run) {
                const double ms =
                    diathekeRun(module, QString::fromLatin1(kWords[w].keyword), &theirCounts[w]);
                if (ms >= 0)
                    theirs[w].push_back(ms);
            }
        }
    }

    for (std::size_t w = 0; w < std::size(kWords); ++w) {
        const Word &word = kWords[w];
        report(QStringLiteral("Kelvaro \"%1\" (%2, %3 verses)")
                   .arg(QString::fromLatin1(word.keyword), QString::fromLatin1(word.what))
                   .arg(counts[w]),
               ours[w]);
        const double ourMedian = median(ours[w]);
        std::printf("%-52s target %.0f ms: %s\n", "", word.targetMs,
                    ourMedian < word.targetMs ? "met" : "MISSED");
        report(QStringLiteral("  processor time of the same"), oursCpu[w]);
        report(QStringLiteral("  the engine alone (statement opened and read)"), engine[w]);
        report(QStringLiteral("  processor time of the same"), engineCpu[w]);
        if (theirs[w].empty()) {
            std::printf("%-52s diatheke not available\n", "");
            continue;
        }
        report(QStringLiteral("diatheke -s %1 \"%2\" (%3, %4 verses)")
                   .arg(QString::fromLatin1(kDiathekeSearchType), QString::fromLatin1(word.keyword),
                        module)
                   .arg(theirCounts[w]),
               theirs[w]);
        std::printf("%-52s ratio diatheke / Kelvaro: %.1f\n", "", median(theirs[w]) / ourMedian);
    }
    return 0;
}
