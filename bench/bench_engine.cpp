// Times the engine's two hot paths: a reader's chapter filter with the read
// of all its verses, and the search statement over the whole text.
//
// Usage: bench_engine [program folder] [runs]
// The folder defaults to KELVARO_PROGRAM_DIR from the environment, then to
// the build's program folder.
#include "scripture/dataset.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <functional>

namespace {

struct Timing
{
    double wall = 0; // milliseconds
    double cpu = 0;  // milliseconds of this process's processor time
};

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

// Processor time next to wall time: on a machine shared with builds the wall
// clock mostly measures waiting for a core.
Timing medianTiming(int runs, const std::function<void()> &work)
{
    QVector<double> wall;
    QVector<double> cpu;
    work(); // warm the page cache and the attachments
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const std::clock_t started = std::clock();
        timer.start();
        work();
        wall.append(timer.nsecsElapsed() / 1e6);
        cpu.append(double(std::clock() - started) * 1000.0 / CLOCKS_PER_SEC);
    }
    return {median(wall), median(cpu)};
}

QString describe(const Timing &timing, int runs)
{
    return QStringLiteral("median %1 ms wall, %2 ms processor, over %3 runs")
        .arg(timing.wall, 0, 'f', 3)
        .arg(timing.cpu, 0, 'f', 3)
        .arg(runs);
}

QStringList keywordStatement(const QString &word)
{
    const QString lower = word.toLower();
    const QString capital = lower.left(1).toUpper() + lower.mid(1);
    return {
        QStringLiteral(
            "select bible.*, chapters.\"bookname\" from kjvbible.db bible, chapters.db chapters"),
        QStringLiteral("where"),
        QStringLiteral("bible.\"book\"=chapters.\"book\""),
        QStringLiteral("and ("),
        QStringLiteral("(bible.\"scripture text\" like'%") + word.toUpper() +
            QStringLiteral("%' or"),
        QStringLiteral(" bible.\"scripture text\" like'%") + lower + QStringLiteral("%' or"),
        QStringLiteral(" bible.\"scripture text\" like'%") + capital + QStringLiteral("%')"),
        QStringLiteral("and"),
        QStringLiteral("1=1)")};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    QString folder = args.size() > 1 ? args.at(1) : qEnvironmentVariable("KELVARO_PROGRAM_DIR");
    if (folder.isEmpty())
        folder = QStringLiteral(KELVARO_PROGRAM_DIR);
    const int runs = args.size() > 2 ? qMax(1, args.at(2).toInt()) : 50;
    if (!QDir::setCurrent(folder)) {
        QTextStream(stderr) << "No such folder: " << folder << '\n';
        return 1;
    }

    try {
        Table bible(QStringLiteral("kjvbible.db"));
        bible.setIndexFieldNames(QStringLiteral("Book;Chapter;Verse"));
        bible.setFilter(QStringLiteral("[book] = 1 and [chapter] = 1"));
        bible.open();
        int verses = 0;
        const Timing chapter = medianTiming(runs, [&] {
            bible.setFilter(QStringLiteral("[book] = 19 and [chapter] = 119"));
            verses = 0;
            for (bible.first(); !bible.eof(); bible.next()) {
                bible.fieldByName(QStringLiteral("verse")).asInteger();
                bible.fieldByName(QStringLiteral("scripture text")).asString();
                ++verses;
            }
        });
        out << "chapter filter, Psalms 119 (" << verses
            << " verses read): " << describe(chapter, runs) << '\n';

        for (const QString &word : {QStringLiteral("faith"), QStringLiteral("lord")}) {
            Query query;
            for (const QString &line : keywordStatement(word))
                query.addLine(line);
            int found = 0;
            const Timing search = medianTiming(runs, [&] {
                query.close();
                query.open();
                found = 0;
                for (query.first(); !query.eof(); query.next()) {
                    query.fieldByName(QStringLiteral("BookName")).asString();
                    query.fieldByName(QStringLiteral("Chapter")).asInteger();
                    query.fieldByName(QStringLiteral("Verse")).asInteger();
                    query.fieldByName(QStringLiteral("Scripture Text")).asString();
                    ++found;
                }
            });
            out << "search statement, \"" << word << "\" (" << found
                << " verses): " << describe(search, runs) << '\n';
        }
    } catch (const EngineError &error) {
        QTextStream(stderr) << error.message() << '\n';
        return 1;
    }
    return 0;
}
