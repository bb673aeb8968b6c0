// Bookmarks, notes and highlights: the store (what it keeps, a killed writer,
// a damaged file), export and import, verses copied with their reference
// (the RTF read back by unrtf), the marks a reader shows, and the
// "Bookmarks and Notes" window through the main window, at 100,000 entries.
#include "app/documentoutput.h"
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "reader/formbook.h"
#include "study/formnote.h"
#include "study/formstudy.h"
#include "study/readermarks.h"
#include "study/studycommands.h"
#include "study/studyexchange.h"
#include "study/studystore.h"
#include "study/versecopy.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
const char *const kWriterVariable = "KELVARO_STUDY_WRITER";

// Answers every modal dialog while it lives: message boxes are accepted
// (their texts kept), input dialogs get the given text.
class DialogAnswer : public QObject
{
public:
    explicit DialogAnswer(const QString &input = QString()) : m_input(input)
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                texts.append(box->text());
                box->accept();
            } else if (auto *input = qobject_cast<QInputDialog *>(modal)) {
                input->setTextValue(m_input);
                input->accept();
            }
        });
        timer->start(10);
    }
    QStringList texts;

private:
    QString m_input;
};

std::unique_ptr<TFormMain> startMainWindow()
{
    auto main = std::make_unique<TFormMain>();
    main->TimerStartup->stop();
    main->EditFirstTime->setText(QStringLiteral("False"));
    main->show();
    return main;
}

TFormBook *openReader(TFormMain &main, int book, int chapter, int verse)
{
    main.Open1Click(VerseReference{book, chapter, verse});
    return main.activeReader();
}

void select(TFormBook *reader, int from, int to)
{
    QTextCursor cursor(reader->RxRichEdit1->document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    reader->RxRichEdit1->setTextCursor(cursor);
}

QString unrtfText(const QByteArray &rtf)
{
    QTemporaryFile file;
    if (!file.open())
        return QString();
    file.write(rtf);
    file.flush();
    QProcess process;
    process.start(QStringLiteral("unrtf"), {QStringLiteral("--text"), file.fileName()});
    process.waitForFinished(30000);
    QStringList lines;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        if (!line.startsWith(QStringLiteral("###")) && !line.startsWith(QStringLiteral("-----")))
            lines.append(line);
    }
    return lines.join('\n').trimmed();
}

Study::Entry makeEntry(int book, int chapter, int verse, const QString &label, const QString &note,
                       int highlight, bool bookmarked = true)
{
    Study::Entry entry;
    entry.place = {book, chapter, verse};
    entry.bookmarked = bookmarked;
    entry.label = label;
    entry.created = bookmarked ? QStringLiteral("2026-01-02T03:04:05.006Z") : QString();
    entry.note = note;
    entry.noteModified = note.isEmpty() ? QString() : QStringLiteral("2026-02-03T04:05:06.007Z");
    entry.highlight = highlight;
    return entry;
}

bool sameEntries(const QList<Study::Entry> &a, const QList<Study::Entry> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        const Study::Entry &x = a.at(i);
        const Study::Entry &y = b.at(i);
        if (Study::keyOf(x.place) != Study::keyOf(y.place) || x.bookmarked != y.bookmarked ||
            x.label != y.label || x.created != y.created || x.note != y.note ||
            x.noteModified != y.noteModified || x.highlight != y.highlight)
            return false;
    }
    return true;
}

// The child process of the crash test: notes written one change at a time,
// each number told on stdout only once its change is committed.
int runWriter(const QString &folder)
{
    StudyStore store;
    store.open(folder);
    QTextStream out(stdout);
    for (int i = 1;; ++i) {
        store.setNote({43, 3, 1 + i % 36}, QStringLiteral("note %1 ").arg(i).repeated(200));
        store.setBookmark({1, 1 + i % 50, 1}, QStringLiteral("label %1").arg(i));
        out << i << Qt::endl;
    }
}
} // namespace

class StudyTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void storeKeepsTextAsWritten_data();
    void storeKeepsTextAsWritten();
    void killedWriterLosesNothingCommitted();
    void fullDiskKeepsWhatWasSaved();
    void unusableFileIsNamed_data();
    void unusableFileIsNamed();
    void damagedFileIsKeptAside_data();
    void damagedFileIsKeptAside();
    void exportImportRoundTrip();
    void hostileImportChangesNothing_data();
    void hostileImportChangesNothing();
    void copyGivesVersesWithReference_data();
    void copyGivesVersesWithReference();
    void highlightsAndMarksInTheReader();
    void highlightStaysReadable_data();
    void highlightStaysReadable();
    void bookmarkNoteAndListThroughTheWindows();
    void stripKeepsEveryButtonInReach_data();
    void stripKeepsEveryButtonInReach();
    void hundredThousandBookmarks();

private:
    std::unique_ptr<Sandbox> m_sandbox;
};

void StudyTest::init()
{
    m_sandbox = std::make_unique<Sandbox>();
    QVERIFY(m_sandbox->isValid());
}

void StudyTest::cleanup()
{
    m_sandbox.reset();
}

void StudyTest::storeKeepsTextAsWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QStringLiteral("Read with John 1:1.");
    QTest::newRow("1 MB") << QStringLiteral("a note line\n").repeated(1024 * 1024 / 12);
    QString controls;
    for (int c = 0; c < 32; ++c)
        controls += QChar(c);
    QTest::newRow("control characters") << controls + QStringLiteral("\x7f end");
    QTest::newRow("right to left") << QString::fromUtf8("בְּרֵאשִׁית בָּרָא and العربية mixed");
    QTest::newRow("quotes and markup") << QStringLiteral("'; drop table note; -- <b>&amp;</b>");
    QTest::newRow("beyond the BMP") << QString::fromUtf8("\U0001F4D6 \U0001F600");
}

// Notes and labels come back exactly as written, from a store opened anew,
// and the file is the user's alone.
void StudyTest::storeKeepsTextAsWritten()
{
    QFETCH(QString, text);
    const VerseReference place{43, 3, 16};
    {
        StudyStore store;
        QVERIFY(store.open(m_sandbox->path()).isEmpty());
        QElapsedTimer clock;
        clock.start();
        store.setNote(place, text);
        if (text.size() > 1000000)
            qInfo("a 1 MB note saved in %lld ms", clock.elapsed());
        store.setBookmark(place, text.left(4096));
        store.setHighlight({place}, 3);
    }
    StudyStore again;
    QVERIFY(again.open(m_sandbox->path()).isEmpty());
    const Study::Entry entry = again.entry(place);
    QCOMPARE(entry.note.size(), text.size());
    QVERIFY(entry.note == text);
    QVERIFY(entry.label == text.left(4096));
    QCOMPARE(entry.highlight, 3);
    QVERIFY(entry.bookmarked);
    struct stat status;
    QCOMPARE(::stat(QFile::encodeName(again.filePath()).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0600));

    // An empty note removes it; the bookmark and highlight stay.
    again.setNote(place, QString());
    QVERIFY(again.entry(place).note.isEmpty());
    QVERIFY(again.entry(place).bookmarked);
}

// A writer killed at any moment leaves every change it reported done, and
// a sound file.
void StudyTest::killedWriterLosesNothingCommitted()
{
    for (int round = 0; round < 3; ++round) {
        QProcess writer;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kWriterVariable), m_sandbox->path());
        writer.setProcessEnvironment(environment);
        writer.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(writer.waitForStarted(10000));
        QByteArray said;
        int committed = 0;
        const int target = 40 + round * 37;
        while (committed < target && writer.waitForReadyRead(20000)) {
            said += writer.readAllStandardOutput();
            const QList<QByteArray> lines = said.split('\n');
            for (int i = lines.size() - 2; i >= 0; --i) {
                if (!lines.at(i).isEmpty()) {
                    committed = lines.at(i).toInt();
                    break;
                }
            }
        }
        QVERIFY2(committed >= target, said.right(200).constData());
        writer.kill();
        QVERIFY(writer.waitForFinished(10000));
        said += writer.readAllStandardOutput();
        for (const QByteArray &line : said.split('\n')) {
            if (!line.isEmpty())
                committed = qMax(committed, line.toInt());
        }

        StudyStore store;
        QVERIFY(store.open(m_sandbox->path()).isEmpty());
        // The last committed change of each kind is there.
        const Study::Entry note = store.entry({43, 3, 1 + committed % 36});
        QVERIFY2(note.note.startsWith(QStringLiteral("note %1 ").arg(committed)) ||
                     note.note.startsWith(QStringLiteral("note %1 ").arg(committed + 36)),
                 qPrintable(note.note.left(20)));
        const Study::Entry bookmark = store.entry({1, 1 + committed % 50, 1});
        QVERIFY(bookmark.label == QStringLiteral("label %1").arg(committed) ||
                bookmark.label == QStringLiteral("label %1").arg(committed + 50));
        QVERIFY(!QFileInfo::exists(store.filePath() + QStringLiteral(".damaged")));
    }
}

// A disk that fills up refuses the change with a message naming the file;
// what was saved before stays, and the note editor keeps the unsaved text
// until it can be written.
void StudyTest::fullDiskKeepsWhatWasSaved()
{
    StudyStore store;
    store.open(m_sandbox->path());
    const VerseReference place{40, 5, 3};
    store.setNote(place, QStringLiteral("first"));
    TFormNote note(&store, place);
    QCOMPARE(note.MemoNote->toPlainText(), QStringLiteral("first"));

    struct rlimit previous;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    struct rlimit small = previous;
    small.rlim_cur = qMax(QFileInfo(store.filePath()).size(),
                          QFileInfo(store.filePath() + QStringLiteral("-wal")).size()) +
                     4096;
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        store.setNote(place, QStringLiteral("second ").repeated(100000));
    } catch (const std::exception &error) {
        message = QString::fromUtf8(error.what());
    }
    note.MemoNote->setPlainText(QStringLiteral("typed ").repeated(100000));
    const bool saved = note.save();
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, oldHandler);

    QVERIFY2(message.contains(store.filePath()), qPrintable(message));
    QVERIFY(!saved);
    QVERIFY(note.LabelState->text().startsWith(QStringLiteral("Not saved")));
    QCOMPARE(store.entry(place).note, QStringLiteral("first"));
    QVERIFY(note.save());
    QCOMPARE(store.entry(place).note, QStringLiteral("typed ").repeated(100000));
}

void StudyTest::unusableFileIsNamed_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("a folder") << "folder";
    QTest::newRow("a FIFO") << "fifo";
}

// Something else where the file should be is left alone; the program starts,
// and the first study command names the file.
void StudyTest::unusableFileIsNamed()
{
    QFETCH(QString, obstacle);
    const QString path = m_sandbox->filePath(QStringLiteral("study.db"));
    if (obstacle == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    auto main = startMainWindow();
    TFormBook *reader = openReader(*main, 43, 3, 16);
    QVERIFY(reader);
    DialogAnswer answer;
    main->studyCommands()->BookmarkVerse1->trigger();
    QCOMPARE(answer.texts.size(), 1);
    QVERIFY2(answer.texts.first().contains(path), qPrintable(answer.texts.first()));
    QVERIFY(obstacle == QLatin1String("folder") ? QFileInfo(path).isDir()
                                                : !QFileInfo(path).isFile());
    QVERIFY(!QFileInfo::exists(path + QStringLiteral(".damaged")));
}

void StudyTest::damagedFileIsKeptAside_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("not a database")
        << QByteArray("these are a person's words, not SQLite\n").repeated(200);
    QByteArray header("SQLite format 3");
    header.append('\0');
    QTest::newRow("header, then garbage") << header + QByteArray(8192, '\xa5');
}

// A damaged file is renamed aside with its bytes untouched, named in the
// message, and a fresh store takes its place.
void StudyTest::damagedFileIsKeptAside()
{
    QFETCH(QByteArray, contents);
    const QString path = m_sandbox->filePath(QStringLiteral("study.db"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
    file.close();

    StudyStore store;
    const QString notice = store.open(m_sandbox->path());
    QVERIFY2(notice.contains(path), qPrintable(notice));
    QVERIFY(notice.contains(path + QStringLiteral(".damaged")));
    QFile aside(path + QStringLiteral(".damaged"));
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), contents);
    store.setBookmark({19, 23, 1}, QStringLiteral("fresh"));
    QCOMPARE(store.entry({19, 23, 1}).label, QStringLiteral("fresh"));
}

// Everything exported comes back unchanged into an empty store; importing
// it again adds nothing.
void StudyTest::exportImportRoundTrip()
{
    const QList<Study::Entry> entries = {
        makeEntry(1, 1, 1, QStringLiteral("Creation"), QString(), 1),
        makeEntry(19, 23, 1, QString(), QStringLiteral("The Lord is my shepherd\n\tline two"), 0),
        makeEntry(43, 3, 16, QString::fromUtf8("עברית"),
                  QStringLiteral("ctrl\x01\x02 and \"quotes\" <tag> & \\"), 5),
        makeEntry(66, 22, 21, QString(), QString(), 2, false),
    };
    StudyStore store;
    store.open(m_sandbox->path());
    store.merge(entries);
    QVERIFY(sameEntries(store.entries(), entries));

    const QString json = m_sandbox->filePath(QStringLiteral("export.json"));
    StudyExchange::exportFile(store, json);
    const QString html = m_sandbox->filePath(QStringLiteral("export.html"));
    StudyExchange::exportFile(store, html);
    QFile page(html);
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString shown = QString::fromUtf8(page.readAll());
    QVERIFY(shown.contains(QStringLiteral("Psalms 23:1")));
    QVERIFY(shown.contains(QStringLiteral("&lt;tag&gt; &amp;")));
    QVERIFY(!shown.contains(QStringLiteral("<tag>")));

    QTemporaryDir other;
    StudyStore fresh;
    fresh.open(other.path());
    const Study::MergeCounts counts = StudyExchange::importFile(fresh, json);
    QCOMPARE(counts.bookmarks, 3);
    QCOMPARE(counts.notes, 2);
    QCOMPARE(counts.highlights, 3);
    QVERIFY(sameEntries(fresh.entries(), entries));

    const Study::MergeCounts again = StudyExchange::importFile(fresh, json);
    QCOMPARE(again.unchanged, int(entries.size()));
    QVERIFY(sameEntries(fresh.entries(), entries));

    // A different note on the same verse is kept beside the present one.
    fresh.setNote({19, 23, 1}, QStringLiteral("mine"));
    StudyExchange::importFile(fresh, json);
    QCOMPARE(fresh.entry({19, 23, 1}).note,
             QStringLiteral("mine\n\nThe Lord is my shepherd\n\tline two"));
}

void StudyTest::hostileImportChangesNothing_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("reason");
    const QByteArray good =
        StudyExchange::toJson({makeEntry(1, 1, 1, QStringLiteral("a"), QStringLiteral("b"), 1),
                               makeEntry(1, 1, 2, QString(), QString(), 2)});
    auto entry = [](const char *fields) {
        return QByteArray("{\"format\": \"kelvaro-study\", \"version\": 1, \"verses\": [") +
               "{\"book\": 2, \"chapter\": 1, \"verse\": 1, \"bookmark\": {}}, {" + fields + "}]}";
    };
    QTest::newRow("truncated") << good.left(good.size() / 2) << "well-formed JSON";
    QTest::newRow("empty") << QByteArray() << "well-formed JSON";
    QTest::newRow("not JSON") << QByteArray("\x89PNG\r\n\x1a\n") << "well-formed JSON";
    QTest::newRow("other JSON") << QByteArray("{\"verses\": []}") << "not a Kelvaro study file";
    QTest::newRow("a list") << QByteArray("[1, 2]") << "not a Kelvaro study file";
    QTest::newRow("newer version")
        << QByteArray("{\"format\": \"kelvaro-study\", \"version\": 2, \"verses\": []}")
        << "version 2";
    QTest::newRow("book 0") << entry("\"book\": 0, \"chapter\": 1, \"verse\": 1")
                            << "names no verse";
    QTest::newRow("book 67") << entry("\"book\": 67, \"chapter\": 1, \"verse\": 1")
                             << "names no verse";
    QTest::newRow("huge verse") << entry("\"book\": 1, \"chapter\": 1, \"verse\": 1e300")
                                << "whole number";
    QTest::newRow("verse as text")
        << entry("\"book\": 1, \"chapter\": 1, \"verse\": \"1\"") << "whole number";
    QTest::newRow("unknown colour")
        << entry("\"book\": 1, \"chapter\": 1, \"verse\": 1, \"highlight\": \"purple\"")
        << "no highlight colour";
    QTest::newRow("note as text")
        << entry("\"book\": 1, \"chapter\": 1, \"verse\": 1, \"note\": \"text\"")
        << "not an object";
    QTest::newRow("label as number")
        << entry("\"book\": 1, \"chapter\": 1, \"verse\": 1, \"bookmark\": {\"label\": 5}")
        << "not a text";
    QTest::newRow("FIFO") << QByteArray() << "not a file";
}

// Nothing of a bad file is stored, and the message names the file.
void StudyTest::hostileImportChangesNothing()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);
    StudyStore store;
    store.open(m_sandbox->path());
    store.setNote({43, 3, 16}, QStringLiteral("kept"));
    const QList<Study::Entry> before = store.entries();

    const QString path = m_sandbox->filePath(QStringLiteral("import.json"));
    if (QString::fromLatin1(QTest::currentDataTag()) == QLatin1String("FIFO")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    QString message;
    try {
        StudyExchange::importFile(store, path);
    } catch (const std::exception &error) {
        message = QString::fromUtf8(error.what());
    }
    QVERIFY2(message.contains(path) && message.contains(reason), qPrintable(message));
    QVERIFY(sameEntries(store.entries(), before));
}

void StudyTest::copyGivesVersesWithReference_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reference");
    QTest::newRow("two verses") << 16 << 17 << "selection"
                                << "John 3:16-17 (KJV)";
    QTest::newRow("one whole verse") << 16 << 16 << "selection"
                                     << "John 3:16 (KJV)";
    QTest::newRow("part of two verses") << 16 << 17 << "partial"
                                        << "John 3:16-17 (KJV)";
    QTest::newRow("Copy Verse at the caret") << 16 << 16 << "caret"
                                             << "John 3:16 (KJV)";
    QTest::newRow("last verse") << 36 << 36 << "caret"
                                << "John 3:36 (KJV)";
}

// The plain text, the HTML and the RTF (read back by unrtf) each give the
// verses with their numbers, then the reference.
void StudyTest::copyGivesVersesWithReference()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, how);
    QFETCH(QString, reference);
    auto main = startMainWindow();
    TFormBook *reader = openReader(*main, 43, 3, first);
    QVERIFY(reader);
    if (how == QLatin1String("caret")) {
        select(reader, reader->verseStart(first - 1) + 5, reader->verseStart(first - 1) + 5);
        main->findChild<QAction *>(QStringLiteral("CopyVerse1"))->trigger();
    } else {
        const int from = reader->verseStart(first - 1) + (how == QLatin1String("partial") ? 8 : 0);
        const int to = reader->verseStart(last) - (how == QLatin1String("partial") ? 8 : 1);
        select(reader, from, to);
        main->Copy1Click();
    }
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    const QStringList lines = data->text().split('\n');
    QCOMPARE(lines.size(), last - first + 2);
    QCOMPARE(lines.last(), reference);
    QVERIFY2(lines.first().startsWith(QStringLiteral("%1 ").arg(first)), qPrintable(lines.first()));
    if (first == 16)
        QCOMPARE(lines.first(), QStringLiteral("16 For God so loved the world, that he gave his "
                                               "only begotten Son, that whosoever believeth in "
                                               "him should not perish, but have everlasting "
                                               "life."));
    QVERIFY(data->html().contains(reference));
    if (QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty())
        QFAIL("unrtf not installed (Debian's unrtf; scripts/setup.sh installs it)");
    const QString rtf = unrtfText(data->data(QStringLiteral("text/rtf")));
    QVERIFY2(rtf.endsWith(reference), qPrintable(rtf));
    QVERIFY(rtf.contains(QStringLiteral("%1 ").arg(last)));
}

// Highlights lie behind the text (and go along in HTML and RTF, not plain
// text); a selection of words in one verse and Select All copy as before;
// a screen reader hears the marks.
void StudyTest::highlightsAndMarksInTheReader()
{
    auto main = startMainWindow();
    TFormBook *reader = openReader(*main, 43, 3, 16);
    QVERIFY(reader);
    StudyCommands *commands = main->studyCommands();
    QVERIFY(commands);
    select(reader, reader->verseStart(15) + 3, reader->verseStart(17) - 5);
    commands->HighlightColour[1]->trigger();
    QCOMPARE(commands->store()->entry({43, 3, 16}).highlight, 1);
    QCOMPARE(commands->store()->entry({43, 3, 17}).highlight, 1);
    QCOMPARE(commands->store()->entry({43, 3, 18}).highlight, 0);

    QTextCursor at(reader->RxRichEdit1->document());
    at.setPosition(reader->verseStart(15) + 10);
    QVERIFY(at.charFormat().background().style() != Qt::NoBrush);
    at.setPosition(reader->verseStart(17) + 10);
    QVERIFY(at.charFormat().background().style() == Qt::NoBrush);

    select(reader, reader->verseStart(15), reader->verseStart(16) - 1);
    main->Copy1Click();
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->html().contains(QStringLiteral("background-color:#fff176")));
    QVERIFY(data->data(QStringLiteral("text/rtf")).contains("\\chcbpat"));
    QVERIFY(!data->text().contains('#'));
    // The chapter saved as RTF (and so printed) carries the highlight too.
    const QString saved = m_sandbox->filePath(QStringLiteral("John 3.rtf"));
    DocumentOutput::save(*reader->RxRichEdit1->document(), saved);
    QFile rtfFile(saved);
    QVERIFY(rtfFile.open(QIODevice::ReadOnly));
    QVERIFY(rtfFile.readAll().contains("\\chcbpat"));

    // Words within one verse copy as they are; Select All the whole chapter.
    select(reader, reader->verseStart(15) + 5, reader->verseStart(15) + 12);
    main->Copy1Click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("For God"));
    main->SelectAll1Click();
    main->Copy1Click();
    QVERIFY(QGuiApplication::clipboard()->text().endsWith(QStringLiteral("[End of Chapter]")));

    // Removing the highlight takes the background away; the marks are told.
    select(reader, reader->verseStart(15) + 3, reader->verseStart(15) + 3);
    commands->HighlightColour[0]->trigger();
    at.setPosition(reader->verseStart(15) + 10);
    QVERIFY(at.charFormat().background().style() == Qt::NoBrush);
    commands->store()->setBookmark({43, 3, 16}, QStringLiteral("gospel"));
    commands->store()->setNote({43, 3, 16}, QStringLiteral("memorise\nthis"));
    reader->ComboBoxVerse->setCurrentIndex(15);
    reader->ComboBoxVerseChange();
    QCOMPARE(reader->RxRichEdit1->accessibleDescription(),
             QStringLiteral("bookmarked: gospel, note: memorise this"));
    reader->ComboBoxVerse->setCurrentIndex(16);
    reader->ComboBoxVerseChange();
    QCOMPARE(reader->RxRichEdit1->accessibleDescription(), QStringLiteral("highlighted yellow"));
    reader->ComboBoxVerse->setCurrentIndex(17);
    reader->ComboBoxVerseChange();
    QCOMPARE(reader->RxRichEdit1->accessibleDescription(), QString());

    // The next chapter and back: the marks are laid again on the new text.
    commands->store()->setHighlight({{43, 3, 16}}, 4);
    reader->RxSpeedButtonNextClick();
    reader->RxSpeedButtonPrevClick();
    at.setPosition(reader->verseStart(15) + 10);
    QCOMPARE(at.charFormat().background().color(),
             ReaderMarks::highlightColour(4, reader->RxRichEdit1->palette().color(QPalette::Text)));
    reader->RxRichEdit1->viewport()->repaint(); // the margin marks draw without fault

    // A right click on a verse makes it the one the context menu acts on.
    QTextCursor verse5(reader->RxRichEdit1->document());
    verse5.setPosition(reader->verseStart(4) + 10);
    const QPoint point = reader->RxRichEdit1->cursorRect(verse5).center();
    QTimer::singleShot(300, reader->RxPopupMenu1, [reader] { reader->RxPopupMenu1->close(); });
    QTest::mouseClick(reader->RxRichEdit1->viewport(), Qt::RightButton, {}, point);
    QCOMPARE(VerseCopy::caretVerse(*reader), 5);
}

void StudyTest::highlightStaysReadable_data()
{
    QTest::addColumn<QColor>("text");
    QTest::newRow("black text") << QColor(Qt::black);
    QTest::newRow("white text") << QColor(Qt::white);
    QTest::newRow("navy text") << QColor(0, 0, 128);
    QTest::newRow("yellow text") << QColor(Qt::yellow);
    QTest::newRow("grey text") << QColor(128, 128, 128);
}

// Every highlight keeps the text at a contrast of at least 3:1.
void StudyTest::highlightStaysReadable()
{
    QFETCH(QColor, text);
    auto luminance = [](const QColor &c) {
        auto channel = [](qreal v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    for (int colour = 1; colour <= Study::HighlightCount; ++colour) {
        const QColor shade = ReaderMarks::highlightColour(colour, text);
        const qreal a = luminance(shade);
        const qreal b = luminance(text);
        const qreal ratio = (qMax(a, b) + 0.05) / (qMin(a, b) + 0.05);
        QVERIFY2(ratio >= 3.0, qPrintable(QStringLiteral("colour %1: %2").arg(colour).arg(ratio)));
    }
}

void StudyTest::stripKeepsEveryButtonInReach_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("as designed") << 591;
    QTest::newRow("two readers side by side on a 1024-pixel screen") << 505;
    QTest::newRow("narrower still") << 470;
}

// However narrow the reader, every button of its strip can be seen and
// pressed, none over another; at the design's width they stand as designed.
void StudyTest::stripKeepsEveryButtonInReach()
{
    QFETCH(int, width);
    auto main = startMainWindow();
    TFormBook *reader = openReader(*main, 19, 23, 1);
    QVERIFY(reader);
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    auto *frame = qobject_cast<QMdiSubWindow *>(reader->parentWidget());
    QVERIFY(frame);
    frame->resize(frame->width() - reader->width() + width, frame->height());
    QTRY_COMPARE(reader->width(), width);

    auto *strip = reader->findChild<QWidget *>(QStringLiteral("PanelButtons"));
    QVERIFY(strip);
    auto *bookmark = strip->findChild<QToolButton *>(QStringLiteral("RxSpeedButtonBookmark"));
    QVERIFY(bookmark);
    QTRY_VERIFY(strip->rect().contains(bookmark->geometry()));
    const QList<QToolButton *> buttons =
        strip->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(buttons.size(), 8);
    for (const QToolButton *button : buttons) {
        QVERIFY2(button->isVisible(), qPrintable(button->objectName()));
        QVERIFY2(strip->rect().contains(button->geometry()), qPrintable(button->objectName()));
        for (const QToolButton *other : buttons)
            QVERIFY2(other == button || !other->geometry().intersects(button->geometry()),
                     qPrintable(button->objectName() + QLatin1Char('/') + other->objectName()));
    }
    if (width >= 591) {
        QCOMPARE(bookmark->geometry().left(), 489);
        QCOMPARE(bookmark->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(reader->RxSpeedButtonBack->geometry().left(), 382);
    } else {
        QCOMPARE(bookmark->toolButtonStyle(), Qt::ToolButtonIconOnly);
        QVERIFY(!bookmark->toolTip().isEmpty());
    }
}

// A person's way: Ctrl+B on a verse with a label, a note typed and saved
// without a Save button, the list filtered, Enter opening the verse, a
// deletion undone.
void StudyTest::bookmarkNoteAndListThroughTheWindows()
{
    auto main = startMainWindow();
    TFormBook *reader = openReader(*main, 19, 23, 1);
    QVERIFY(reader);
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    StudyCommands *commands = main->studyCommands();
    StudyStore *store = commands->store();
    select(reader, reader->verseStart(3) + 2, reader->verseStart(3) + 2);
    {
        DialogAnswer answer(QStringLiteral("valley"));
        QTest::keyClick(reader->RxRichEdit1, Qt::Key_B, Qt::ControlModifier);
    }
    QCOMPARE(store->entry({19, 23, 4}).label, QStringLiteral("valley"));
    QVERIFY(reader->RxPopupMenu1->actions().contains(commands->BookmarkVerse1));
    // The button has a place of its own on the reader's strip.
    const QWidget *button = reader->findChild<QWidget *>(QStringLiteral("RxSpeedButtonBookmark"));
    QVERIFY(button);
    for (const QWidget *other : button->parentWidget()->findChildren<QToolButton *>()) {
        QVERIFY2(other == button || !other->geometry().intersects(button->geometry()),
                 qPrintable(other->objectName()));
    }

    QTRY_VERIFY(main->isActiveWindow());
    QTest::keyClick(reader->RxRichEdit1, Qt::Key_E, Qt::ControlModifier);
    auto *note = qobject_cast<TFormNote *>(main->activeChild());
    QVERIFY2(note, qPrintable(main->activeChild()->windowTitle()));
    QCOMPARE(note->windowTitle(), QStringLiteral("Note: Psalms 23:4"));
    QTest::keyClicks(note->MemoNote, QStringLiteral("rod and staff"));
    QTRY_COMPARE(store->entry({19, 23, 4}).note, QStringLiteral("rod and staff"));
    QTest::keyClicks(note->MemoNote, QStringLiteral(" comfort"));
    note->parentWidget()->close(); // closing saves at once
    QCOMPARE(store->entry({19, 23, 4}).note, QStringLiteral("rod and staff comfort"));
    store->setBookmark({1, 1, 1}, QStringLiteral("beginning"));

    commands->BookmarksandNotes1->trigger();
    auto *list = qobject_cast<TFormStudy *>(main->activeChild());
    QVERIFY(list);
    QCOMPARE(list->windowTitle(), QStringLiteral("Bookmarks and Notes"));
    QCOMPARE(list->model()->rowCount(), 2);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("Genesis 1:1"));
    QTest::keyClicks(list->EditFilter, QStringLiteral("STAFF"));
    QCOMPARE(list->model()->rowCount(), 1);
    const int readers = main->mdiArea()->subWindowList().size();
    QTest::keyClick(list->EditFilter, Qt::Key_Return);
    QCOMPARE(main->mdiArea()->subWindowList().size(), readers + 1);
    TFormBook *opened = main->activeReader();
    QVERIFY(opened);
    QCOMPARE(opened->windowTitle(), QStringLiteral("Psalms 23:4"));

    main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(list->parentWidget()));
    list->EditFilter->clear();
    list->ListEntries->setFocus();
    list->ListEntries->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list->ListEntries, Qt::Key_Delete);
    QVERIFY(store->entry({19, 23, 4}).isEmpty());
    QCOMPARE(list->model()->rowCount(), 1);
    QTest::keyClick(list->ListEntries, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(store->entry({19, 23, 4}).note, QStringLiteral("rod and staff comfort"));
    QCOMPARE(store->entry({19, 23, 4}).label, QStringLiteral("valley"));
    QCOMPARE(list->model()->rowCount(), 2);

    // F2 renames; newest first puts Genesis 1:1, bookmarked last, on top.
    list->ListEntries->setCurrentIndex(list->model()->index(1, 0));
    {
        DialogAnswer answer(QStringLiteral("shadow of death"));
        QTest::keyClick(list->ListEntries, Qt::Key_F2);
    }
    QCOMPARE(store->entry({19, 23, 4}).label, QStringLiteral("shadow of death"));
    QCOMPARE(list->model()->index(1, 1).data().toString(), QStringLiteral("shadow of death"));
    list->ComboBoxOrder->setCurrentIndex(1);
    emit list->ComboBoxOrder->activated(1);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("Genesis 1:1"));
    store->setNote({19, 23, 4}, QStringLiteral("changed now"));
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("Psalms 23:4"));
    // The Note button opens the entry's note in the client area.
    list->ListEntries->setCurrentIndex(list->model()->index(0, 0));
    list->ButtonNote->click();
    note = qobject_cast<TFormNote *>(main->activeChild());
    QVERIFY(note);
    QCOMPARE(note->windowTitle(), QStringLiteral("Note: Psalms 23:4"));
    QCOMPARE(note->MemoNote->toPlainText(), QStringLiteral("changed now"));

    // The study windows are not readers of the session.
    main->close();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("s"));
    {
        db.setDatabaseName(m_sandbox->filePath(QStringLiteral("settings.db")));
        QVERIFY(db.open());
        QSqlQuery rows(QStringLiteral("select book from db"), db);
        while (rows.next())
            QVERIFY(rows.value(0).toInt() > 0);
        db.close();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("s"));
}

// The window opens within a second and narrows within 50 ms at 100,000
// bookmarks with notes.
void StudyTest::hundredThousandBookmarks()
{
    // Whole and filtered correctly at this size; how fast is measured by
    // bench/bench_study.
    auto main = startMainWindow();
    StudyStore *store = main->studyCommands()->store();
    QList<Study::Entry> entries;
    entries.reserve(100000);
    for (int i = 0; entries.size() < 100000; ++i) {
        const int book = 1 + i % 66;
        const int chapter = 1 + (i / 66) % 150;
        const int verse = 1 + (i / (66 * 150)) % 176;
        entries.append(makeEntry(book, chapter, verse, QStringLiteral("label %1").arg(i),
                                 i % 10 == 0 ? QStringLiteral("note number %1").arg(i) : QString(),
                                 0));
    }
    store->merge(entries);

    main->studyCommands()->BookmarksandNotes1->trigger();
    auto *list = qobject_cast<TFormStudy *>(main->activeChild());
    QVERIFY(list);
    QCoreApplication::processEvents();
    QCOMPARE(list->model()->totalCount(), 100000);
    list->EditFilter->setText(QStringLiteral("label 12345"));
    QCOMPARE(list->model()->rowCount(), 1);
    list->EditFilter->setText(QStringLiteral("zzz"));
    QCOMPARE(list->model()->rowCount(), 0);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(kWriterVariable)) {
        QCoreApplication app(argc, argv);
        return runWriter(qEnvironmentVariable(kWriterVariable));
    }
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    StudyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_study.moc"
