// Times the engine's two hot paths: a reader's chapter filter with the read
// of all its verses, and the search statement over the whole text. Beside the
// search stand SQLite's own figures for the same statement on a bare
// connection: with SQLite's own LIKE, and with a LIKE that matches nothing
// without looking, the cost of SQLite's row loop alone, which no LIKE can
// go below.
//
// Usage: bench_engine [program folder] [runs]
// The folder defaults to KELVARO_PROGRAM_DIR from the environment, then to
// the build's program folder.
#include "scripture/dataset.h"
#include "search/searchstatement.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <utility>

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

void matchesNothing(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_value_text(argv[1]);
    sqlite3_result_int(context, 0);
}

// The statement on a bare connection, the files the engine found attached
// and mapped as the engine attaches them; like() is SQLite's own
// (case-sensitive) or, with rowLoopOnly, one that matches nothing.
Timing bareStatement(const QString &biblePath, const QString &chaptersPath,
                     const QStringList &lines, bool rowLoopOnly, int runs, int *rows)
{
    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> closer(db, sqlite3_close);
    for (const auto &[path, schema] :
         {std::pair{biblePath, "kjvbible"}, std::pair{chaptersPath, "chapters"}}) {
        const QByteArray attach = QStringLiteral("ATTACH '%1' AS %2; PRAGMA %2.mmap_size=268435456")
                                      .arg(path, QString::fromLatin1(schema))
                                      .toUtf8();
        sqlite3_exec(db, attach.constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "PRAGMA case_sensitive_like=ON", nullptr, nullptr, nullptr);
    if (rowLoopOnly)
        sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   matchesNothing, nullptr, nullptr, nullptr);
    const QByteArray sql = lines.join(QLatin1Char('\n')).toUtf8();
    return medianTiming(runs, [&] {
        sqlite3_stmt *statement = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr);
        *rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW)
            ++*rows;
        sqlite3_finalize(statement);
    });
}

// The searches of the speed table: keywords and connective.
struct Search
{
    const char *label;
    QStringList keywords;
    bool all;
};

const Search kSearches[] = {
    {"\"faith\"", {QStringLiteral("faith")}, true},
    {"\"lord\"", {QStringLiteral("lord")}, true},
    {"\"Two\" any \"three\"", {QStringLiteral("Two"), QStringLiteral("three")}, false},
};

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

        Table chapters(QStringLiteral("chapters.db"));
        chapters.open();
        for (const Search &search : kSearches) {
            const QStringList statement = buildSearchStatement(search.keywords, search.all);
            Query query;
            for (const QString &line : statement)
                query.addLine(line);
            int found = 0;
            const Timing engine = medianTiming(runs, [&] {
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
            out << "search statement, " << search.label << " (" << found
                << " verses): " << describe(engine, runs) << '\n';
            for (const bool rowLoopOnly : {false, true}) {
                int rows = 0;
                const Timing bare = bareStatement(bible.filePath(), chapters.filePath(), statement,
                                                  rowLoopOnly, runs, &rows);
                out << "  bare SQLite, "
                    << (rowLoopOnly ? "LIKE matching nothing (its row loop alone)" : "its own LIKE")
                    << " (" << rows << " rows): " << describe(bare, runs) << '\n';
            }
        }
    } catch (const EngineError &error) {
        QTextStream(stderr) << error.message() << '\n';
        return 1;
    }
    return 0;
}
