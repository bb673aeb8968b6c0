// Reader benchmarks: loading Psalms 119 (176 verses) into a reader, the time
// from process start to the first chapter on screen, and the peak memory of
// a busy session (ten readers, two searches, two dictionaries).
//
// Usage: bench_reader [program-folder] [runs] [--load-only]
// Prints the median, minimum and maximum of each measurement in ms; the load
// also in processor time of the window's thread, which a busy machine
// distorts less. --load-only stops after the load (for a profiler).

#include "app/application.h"
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "dictionary/formebd.h"
#include "reader/chaptermarkup.h"
#include "reader/formbook.h"
#include "search/formsearch.h"

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {
struct Summary
{
    double median, minimum, maximum;
};

Summary summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

void report(const char *what, const std::vector<double> &values)
{
    const Summary s = summarise(values);
    std::printf("%-44s median %8.2f ms   min %8.2f   max %8.2f   (%zu runs)\n", what, s.median,
                s.minimum, s.maximum, values.size());
}

double threadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The child: start like the program, say when the first chapter is painted.
int runChild(int argc, char **argv)
{
    KelvaroApplication app(argc, argv);
    TFormMain main;
    main.show();
    main.EditFirstTime->setText(QStringLiteral("False"));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TFormBook *reader = main.activeReader();
        if (!reader || reader->RxRichEdit1->document()->isEmpty())
            return;
        reader->RxRichEdit1->viewport()->repaint();
        std::printf("shown\n");
        std::fflush(stdout);
        // Leave at once, without writing the session.
        std::_Exit(0);
    });
    poll.start(0);
    return app.exec();
}

// Peak resident memory of this process so far, in MB.
double peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// A busy session: ten readers, two searches with results, two dictionaries.
int runSession(int argc, char **argv)
{
    KelvaroApplication app(argc, argv);
    TFormMain main;
    main.resize(1280, 900);
    main.show();
    main.EditFirstTime->setText(QStringLiteral("False"));
    main.TimerStartup->stop();
    const int places[10][2] = {{1, 1},  {19, 119}, {23, 53}, {40, 5}, {43, 3},
                               {45, 8}, {46, 13},  {58, 11}, {62, 4}, {66, 22}};
    for (const auto &place : places) {
        main.Open1Click(VerseReference{place[0], place[1], 1});
    }
    const char *words[2] = {"faith", "the"};
    for (const char *word : words) {
        auto *search = new TFormSearch;
        main.addChild(search)->show();
        search->Edit1->setText(QString::fromLatin1(word));
        search->BtnSearchClick();
    }
    for (int i = 0; i < 2; ++i)
        main.EastonsBibleDictionary1Click();
    QCoreApplication::processEvents();
    // Every chapter laid out to its end, as the readers do in the background.
    for (QMdiSubWindow *window : main.mdiArea()->subWindowList()) {
        if (auto *reader = qobject_cast<TFormBook *>(window->widget()))
            reader->RxRichEdit1->document()->documentLayout()->documentSize();
    }
    std::printf("%.1f\n", peakMemoryMb());
    std::fflush(stdout);
    std::_Exit(0);
}

bool copyFolder(const QString &from, const QString &to)
{
    const QStringList tables = {"kjvbible.db", "Chapters.db", "Verses.db",
                                "Markup.db",   "ebd.db",      "settings.db"};
    for (const QString &name : tables) {
        // The program runs without the printed marks: a folder without them
        // measures what they cost.
        if (name == QLatin1String("Markup.db") && !QFile::exists(QDir(from).filePath(name)))
            continue;
        if (!QFile::copy(QDir(from).filePath(name), QDir(to).filePath(name)))
            return false;
    }
    QFile::setPermissions(QDir(to).filePath("settings.db"), QFile::ReadOwner | QFile::WriteOwner);
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--session")
        return runSession(argc, argv);

    const QString folder =
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(KELVARO_PROGRAM_DIR))
            .absolutePath();
    const int runs = argc > 2 ? std::atoi(argv[2]) : 30;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    KelvaroApplication app(argc, argv);
    QDir::setCurrent(folder);

    // Psalms 119 into a reader.
    {
        TFormBook reader(VerseReference{1, 1, 1});
        reader.resize(591, 416);
        reader.show();
        std::vector<double> times;
        std::vector<double> processor;
        std::vector<double> whole;
        for (int i = 0; i < runs; ++i) {
            reader.ComboBoxBook->setCurrentIndex(18);
            reader.BuildComboChapter();
            reader.ComboBoxChapter->setCurrentIndex(118);
            QElapsedTimer timer;
            const double started = threadMs();
            timer.start();
            reader.ComboBoxChapterChange();
            times.push_back(timer.nsecsElapsed() / 1e6);
            processor.push_back(threadMs() - started);
            // The layout of what lies below the view is finished in the
            // background; here at once, to time the whole work as well.
            reader.RxRichEdit1->document()->documentLayout()->documentSize();
            whole.push_back(timer.nsecsElapsed() / 1e6);
            reader.ComboBoxBook->setCurrentIndex(0);
            reader.BuildComboChapter();
            reader.ComboBoxChapter->setCurrentIndex(0);
            reader.ComboBoxChapterChange();
        }
        report("Psalms 119 loaded into a reader", times);
        report("  the same, processor time", processor);
        report("  and laid out to its end", whole);

        // The marks are kept for the chapters shown last; read anew, as for
        // a chapter not shown before.
        std::vector<double> cold;
        for (int i = 0; i < runs; ++i) {
            reader.ComboBoxBook->setCurrentIndex(18);
            reader.BuildComboChapter();
            reader.ComboBoxChapter->setCurrentIndex(118);
            ChapterMarkup::resetReportForTesting();
            QElapsedTimer timer;
            timer.start();
            reader.ComboBoxChapterChange();
            cold.push_back(timer.nsecsElapsed() / 1e6);
            reader.RxRichEdit1->document()->documentLayout()->documentSize();
        }
        report("  its marks read anew", cold);
    }
    if (argc > 3 && QByteArray(argv[3]) == "--load-only")
        return 0;

    // Process start to the first chapter shown, in a copy of the program
    // folder with a settings store of its own.
    {
        QTemporaryDir work;
        if (!copyFolder(folder, work.path())) {
            std::fprintf(stderr, "cannot copy the tables of %s\n", qPrintable(folder));
            return 1;
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", work.filePath("config"));
        environment.insert("XDG_RUNTIME_DIR", work.path());
        std::vector<double> times;
        for (int i = 0; i < std::max(5, runs / 3); ++i) {
            QProcess child;
            child.setProcessEnvironment(environment);
            child.setWorkingDirectory(work.path());
            QElapsedTimer timer;
            timer.start();
            child.start(QCoreApplication::applicationFilePath(), {"--child"});
            if (!child.waitForReadyRead(30000)) {
                std::fprintf(stderr, "the child did not start\n");
                return 1;
            }
            times.push_back(timer.nsecsElapsed() / 1e6);
            child.waitForFinished(5000);
        }
        report("Process start to the first chapter shown", times);

        QProcess session;
        session.setProcessEnvironment(environment);
        session.setWorkingDirectory(work.path());
        session.start(QCoreApplication::applicationFilePath(), {"--session"});
        session.waitForFinished(120000);
        const QByteArray peak = session.readAllStandardOutput().trimmed();
        std::printf("%-44s %8s MB\n", "Peak memory: 10 readers, 2 searches, 2 dicts",
                    peak.constData());
    }
    return 0;
}
