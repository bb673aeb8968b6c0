// The shipped data as the program finds it: the tables of a built program
// folder (read through plain QtSql, independent of the program's engine) and
// the documents the reader and the dictionary hand to the viewer.
#include "scripture/referenceparser.h"
#include "scripture/versecounts.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>
#include <QtTest>

namespace {

struct VerseKey
{
    int book;
    int chapter;
    int verse;
};

inline size_t qHash(const VerseKey &k, size_t seed = 0)
{
    return ::qHash((k.book << 20) | (k.chapter << 8) | k.verse, seed);
}
inline bool operator==(const VerseKey &a, const VerseKey &b)
{
    return a.book == b.book && a.chapter == b.chapter && a.verse == b.verse;
}

QString readText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

} // namespace

class TestScriptureData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void verseTableShape();
    void verseTextIsClean();
    void wellKnownVerses_data();
    void wellKnownVerses();
    void versesMatchTheSource();
    void catalogueAgreesWithText();
    void bookAbbreviations();
    void dictionaryList();
    void commentaryDocuments();
    void referenceDocuments();
    void sessionTableShape();
    void printedMarksMatchTheModule();
    void printedMarksLieOverTheText_data();
    void printedMarksLieOverTheText();
    void headingsMatchTheModule();
    void referenceForms_data();
    void referenceForms();
    void referenceFailures_data();
    void referenceFailures();
    void referenceBooksAgreeWithCatalogue();

private:
    QSqlDatabase open(const QString &file);
    int scalar(const QString &file, const QString &sql);

    Sandbox *m_sandbox = nullptr;
    QStringList m_connections;
};

void TestScriptureData::initTestCase()
{
    m_sandbox = new Sandbox;
    QVERIFY(m_sandbox->isValid());
}

void TestScriptureData::cleanupTestCase()
{
    for (const QString &name : std::as_const(m_connections))
        QSqlDatabase::database(name, false).close();
    for (const QString &name : std::as_const(m_connections))
        QSqlDatabase::removeDatabase(name);
    delete m_sandbox;
}

QSqlDatabase TestScriptureData::open(const QString &file)
{
    const QString name = QStringLiteral("scripturedata-") + file;
    if (m_connections.contains(name))
        return QSqlDatabase::database(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(m_sandbox->filePath(file));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open())
        qFatal("cannot open %s: %s", qPrintable(file), qPrintable(db.lastError().text()));
    m_connections << name;
    return db;
}

int TestScriptureData::scalar(const QString &file, const QString &sql)
{
    QSqlQuery q(open(file));
    if (!q.exec(sql) || !q.next())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q.value(0).toInt();
}

void TestScriptureData::verseTableShape()
{
    const QString bible = QStringLiteral("kjvbible.db");
    QCOMPARE(scalar(bible, "select count(*) from db"), 31102);
    QCOMPARE(scalar(bible, "select count(*) from (select distinct book, chapter from db)"), 1189);
    QCOMPARE(scalar(bible, "select count(distinct book) from db"), 66);
    QCOMPARE(scalar(bible, "select min(book) from db"), 1);
    QCOMPARE(scalar(bible, "select max(book) from db"), 66);
    QCOMPARE(scalar(bible, "select max(chapter) from db where book = 66"), 22);

    // The reader records at most 176 verse positions; Psalm 119 is the longest chapter.
    QSqlQuery q(open(bible));
    QVERIFY(q.exec("select book, chapter, count(*) n from db group by book, chapter "
                   "order by n desc limit 2"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 19);
    QCOMPARE(q.value(1).toInt(), 119);
    QCOMPARE(q.value(2).toInt(), 176);
    QVERIFY(q.next());
    QVERIFY(q.value(2).toInt() < 176);

    // Verses of every chapter are numbered 1..n without gaps.
    QCOMPARE(scalar(bible, "select count(*) from (select book, chapter from db group by "
                           "book, chapter having min(verse) <> 1 or max(verse) <> count(*))"),
             0);

    // Natural order is book, chapter, verse.
    QVERIFY(q.exec("select book, chapter, verse from db"));
    int previous = 0, rows = 0;
    while (q.next()) {
        const int key = q.value(0).toInt() << 20 | q.value(1).toInt() << 8 | q.value(2).toInt();
        QVERIFY2(key > previous, "rows out of book;chapter;verse order");
        previous = key;
        ++rows;
    }
    QCOMPARE(rows, 31102);
}

void TestScriptureData::verseTextIsClean()
{
    QSqlQuery q(open(QStringLiteral("kjvbible.db")));
    QVERIFY(q.exec(R"(select book, chapter, verse, "Scripture Text" from db)"));
    const QRegularExpression markup(QStringLiteral(u"[\u00b6<>\\\\{}\u2019\u2018]"));
    int apostrophes = 0;
    bool lordsFound = false;
    while (q.next()) {
        const QString text = q.value(3).toString();
        const QString where = QStringLiteral("%1 %2:%3: ")
                                  .arg(q.value(0).toInt())
                                  .arg(q.value(1).toInt())
                                  .arg(q.value(2).toInt());
        QVERIFY2(!text.isEmpty(), qPrintable(where + "empty"));
        QVERIFY2(!markup.match(text).hasMatch(), qPrintable(where + text));
        QVERIFY2(!text.contains(QLatin1String("  ")), qPrintable(where + text));
        QVERIFY2(text == text.trimmed(), qPrintable(where + text));
        QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("[\\t\\r\\n]"))),
                 qPrintable(where + text));
        QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("\\b[HG]\\d{3,4}\\b"))),
                 qPrintable(where + "Strong's number: " + text));
        apostrophes += text.count(QLatin1Char('\''));
        lordsFound = lordsFound || text.contains(QLatin1String("Lord's"));
    }
    QVERIFY(apostrophes > 1000);
    QVERIFY(lordsFound);
}

void TestScriptureData::wellKnownVerses_data()
{
    QTest::addColumn<int>("book");
    QTest::addColumn<int>("chapter");
    QTest::addColumn<int>("verse");
    QTest::addColumn<QString>("text");
    QTest::newRow("Genesis 1:1") << 1 << 1 << 1
                                 << "In the beginning God created the heaven and the earth.";
    QTest::newRow("John 3:16")
        << 43 << 3 << 16
        << "For God so loved the world, that he gave his only begotten Son, that whosoever "
           "believeth in him should not perish, but have everlasting life.";
    QTest::newRow("John 11:35") << 43 << 11 << 35 << "Jesus wept.";
    QTest::newRow("Psalm 23:1") << 19 << 23 << 1 << "The LORD is my shepherd; I shall not want.";
    QTest::newRow("Psalm 119:176 (last verse of the longest chapter)")
        << 19 << 119 << 176
        << "I have gone astray like a lost sheep; seek thy servant; for I do not forget thy "
           "commandments.";
    QTest::newRow("Revelation 22:21 (last verse)")
        << 66 << 22 << 21 << "The grace of our Lord Jesus Christ be with you all. Amen.";
}

void TestScriptureData::wellKnownVerses()
{
    QFETCH(int, book);
    QFETCH(int, chapter);
    QFETCH(int, verse);
    QFETCH(QString, text);
    QSqlQuery q(open(QStringLiteral("kjvbible.db")));
    q.prepare(R"(select "Scripture Text" from db where book = ? and chapter = ? and verse = ?)");
    q.addBindValue(book);
    q.addBindValue(chapter);
    q.addBindValue(verse);
    QVERIFY(q.exec());
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), text);
}

void TestScriptureData::versesMatchTheSource()
{
    QFile source(Sandbox::sourceDir() + QStringLiteral("/data/kjv/kjv.tsv"));
    QVERIFY(source.open(QIODevice::ReadOnly | QIODevice::Text));
    QHash<VerseKey, QString> expected;
    QTextStream in(&source);
    in.setEncoding(QStringConverter::Utf8);
    QString line;
    while (in.readLineInto(&line)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        QCOMPARE(f.size(), 4);
        expected.insert({f[0].toInt(), f[1].toInt(), f[2].toInt()}, f[3]);
    }
    QCOMPARE(expected.size(), 31102);

    QSqlQuery q(open(QStringLiteral("kjvbible.db")));
    QVERIFY(q.exec(R"(select book, chapter, verse, "Scripture Text" from db)"));
    int compared = 0;
    while (q.next()) {
        const VerseKey key{q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt()};
        QCOMPARE(q.value(3).toString(), expected.value(key));
        ++compared;
    }
    QCOMPARE(compared, expected.size());
}

void TestScriptureData::catalogueAgreesWithText()
{
    // Chapters per book and verses per chapter as the text has them.
    QHash<int, int> chapters;
    QHash<int, int> verses; // book << 8 | chapter
    QSqlQuery bible(open(QStringLiteral("kjvbible.db")));
    QVERIFY(bible.exec("select book, chapter, count(*) from db group by book, chapter"));
    while (bible.next()) {
        const int book = bible.value(0).toInt(), chapter = bible.value(1).toInt();
        chapters[book] = qMax(chapters.value(book), chapter);
        verses.insert(book << 8 | chapter, bible.value(2).toInt());
    }

    QSqlQuery q(open(QStringLiteral("Chapters.db")));
    QVERIFY(q.exec("select * from db"));
    const QSqlRecord record = q.record();
    for (const char *field : {"Book", "ChapterCount", "Mhcfile", "Jfbfile", "BookName", "BookAbbr"})
        QVERIFY2(record.indexOf(QLatin1String(field)) >= 0, field);
    int expectedBook = 1;
    while (q.next()) {
        const int book = q.value("Book").toInt();
        QCOMPARE(book, expectedBook++); // natural order is book order
        QCOMPARE(q.value("ChapterCount").toInt(), chapters.value(book));
        const QString slug = q.value("BookName").toString().toLower().remove(QLatin1Char(' '));
        QCOMPARE(q.value("Mhcfile").toString(), slug + QStringLiteral(".htm#"));
        QCOMPARE(q.value("Jfbfile").toString(), slug + QStringLiteral(".htm#"));
    }
    QCOMPARE(expectedBook, 67);
    QVERIFY(q.exec("select BookName from db where book in (1, 9, 19, 22, 66) order by book"));
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    QCOMPARE(names,
             QStringList({"Genesis", "1 Samuel", "Psalms", "Song of Solomon", "Revelation"}));

    QSqlQuery v(open(QStringLiteral("Verses.db")));
    QVERIFY(v.exec("select book, chapter, VerseCount from db"));
    int rows = 0;
    while (v.next()) {
        const int key = v.value(0).toInt() << 8 | v.value(1).toInt();
        QVERIFY2(verses.contains(key), "Verses.db row without verses");
        QCOMPARE(v.value(2).toInt(), verses.value(key));
        ++rows;
    }
    QCOMPARE(rows, verses.size());
}

void TestScriptureData::bookAbbreviations()
{
    QCOMPARE(scalar(QStringLiteral("Chapters.db"),
                    "select count(*) from sqlite_master where type = 'index' and "
                    "name = 'IDX_BookAbbr'"),
             1);
    QCOMPARE(
        scalar(QStringLiteral("Chapters.db"), "select count(distinct upper(BookAbbr)) from db"),
        66);

    QSqlQuery q(open(QStringLiteral("Chapters.db")));
    QVERIFY(q.exec("select book from db where BookAbbr = 'John' collate nocase"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 43);
    // The abbreviations the parameter file is written with.
    QVERIFY(q.exec("select BookAbbr from db where book in (1, 9, 19, 22, 57, 66) order by book"));
    QStringList abbrs;
    while (q.next())
        abbrs << q.value(0).toString();
    QCOMPARE(abbrs, QStringList({"Gen", "1Sam", "Ps", "Song", "Phlm", "Rev"}));
}

void TestScriptureData::dictionaryList()
{
    const QString ebd = QStringLiteral("ebd.db");
    QCOMPARE(scalar(ebd, "select count(*) from db"), 3962);
    QCOMPARE(scalar(ebd, "select count(distinct link) from db"), 3962);
    QCOMPARE(scalar(ebd, "select count(*) from db where word is null or word = ''"), 0);
    QVERIFY(scalar(ebd, "select count(*) from sqlite_master where type = 'index' and "
                        "sql like '%Word%'") >= 1);

    const QDir folder(Sandbox::programDir() + QStringLiteral("/ebd"));
    const QRegularExpression safe(QStringLiteral("^[a-z0-9-]+\\.htm$"));
    QSqlQuery q(open(ebd));
    QVERIFY(q.exec("select word, link from db"));
    while (q.next()) {
        const QString link = q.value(1).toString();
        QVERIFY2(safe.match(link).hasMatch(), qPrintable(link));
        QVERIFY2(folder.exists(link), qPrintable(link));
    }

    const QString aaron = readText(folder.filePath(QStringLiteral("aaron.htm")));
    QVERIFY(aaron.contains(QLatin1String("<title>Aaron</title>")));
    QVERIFY(aaron.contains(QLatin1String("<h1>Aaron</h1>")));
    QVERIFY(aaron.contains(QLatin1String("href=\"../kelvaro.css\"")));
    QVERIFY(aaron.contains(QLatin1String("Easton")));
    QVERIFY(aaron.contains(QLatin1String("CC BY 4.0")));
    QVERIFY(aaron.contains(QLatin1String("Exodus 6:20")));

    // Two entries share the printed word "Hail": each keeps its own page.
    QVERIFY(q.exec("select link from db where word like 'Hail%' order by link"));
    QStringList hail;
    while (q.next())
        hail << q.value(0).toString();
    QCOMPARE(hail, QStringList({"hail-2.htm", "hail.htm"}));
}

void TestScriptureData::commentaryDocuments()
{
    const QString mhc = Sandbox::programDir() + QStringLiteral("/mhc/");
    const QString index = readText(mhc + QStringLiteral("index.htm"));
    QVERIFY(index.contains(QLatin1String("href=\"../kelvaro.css\"")));

    QSqlQuery q(open(QStringLiteral("Chapters.db")));
    QVERIFY(q.exec("select book, ChapterCount, Mhcfile from db"));
    const QRegularExpression anchor(QStringLiteral("\\sid=\"(\\d+)\""));
    while (q.next()) {
        const QString mhcfile = q.value(2).toString();
        const QString file = mhcfile.left(mhcfile.indexOf(QLatin1Char('#')));
        const QString text = readText(mhc + file);
        QVERIFY2(!text.isEmpty(), qPrintable(file));
        QVERIFY2(index.contains(QStringLiteral("href=\"%1\"").arg(file)), qPrintable(file));
        QVERIFY(text.contains(QLatin1String("href=\"../kelvaro.css\"")));

        QList<int> ids;
        for (const auto &m : anchor.globalMatch(text))
            ids << m.captured(1).toInt();
        QList<int> expected;
        for (int c = 1; c <= q.value(1).toInt(); ++c)
            expected << c;
        QCOMPARE(ids, expected); // one anchor per chapter, in order, nothing else numbered
    }

    // Every relative link of the commentary index leads to a page that exists.
    const QRegularExpression href(QStringLiteral("href=\"([^\"#:]+)"));
    for (const auto &m : href.globalMatch(index))
        QVERIFY2(QFileInfo::exists(mhc + m.captured(1)), qPrintable(m.captured(1)));

    // A spot check of the text: the comment on John 3 is under its anchor.
    const QString john = readText(mhc + QStringLiteral("john.htm"));
    const int at = john.indexOf(QLatin1String("id=\"3\""));
    QVERIFY(at > 0);
    QVERIFY(john.indexOf(QLatin1String("Nicodemus"), at) > at);
    QVERIFY(john.indexOf(QLatin1String("Nicodemus"), at) < john.indexOf(QLatin1String("id=\"4\"")));
}

void TestScriptureData::referenceDocuments()
{
    // jfb00.htm is the sign that the full JFB documents are installed; we ship
    // only the page that tells how to get them.
    QVERIFY(!QFileInfo::exists(Sandbox::programDir() + QStringLiteral("/jfb/jfb00.htm")));
}

void TestScriptureData::sessionTableShape()
{
    QSqlQuery q(open(QStringLiteral("settings.db")));
    QVERIFY(q.exec(R"(select "order", book, chapter, verse, top, left, height, width from db)"));
    const QSqlRecord record = q.record();
    QCOMPARE(record.count(), 8);
    // "order" is the row's key: appending rows in the order of use keeps them so.
    QCOMPARE(scalar(QStringLiteral("settings.db"),
                    "select count(*) from pragma_table_info('db') where name = 'order' and pk = 1"),
             1);
}

void TestScriptureData::referenceForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("book");
    QTest::addColumn<int>("chapter");
    QTest::addColumn<int>("verse");
    QTest::addColumn<int>("lastVerse");
    const struct
    {
        const char *text;
        int book, chapter, verse, last;
    } rows[] = {
        {"John 3:16", 43, 3, 16, 16},
        {"jn 3.16", 43, 3, 16, 16},
        {"JHN3:16", 43, 3, 16, 16},
        {"  John  3 : 16  ", 43, 3, 16, 16},
        {"1co13", 46, 13, 1, 1},
        {"1 Cor 13:4-7", 46, 13, 4, 7},
        {"1 Cor. 13:4 - 7", 46, 13, 4, 7},
        {"I Cor 13:4", 46, 13, 4, 4},
        {"First Corinthians 13", 46, 13, 1, 1},
        {"1 Corinthians 2", 46, 2, 1, 1},
        {"II Kings 2:11", 12, 2, 11, 11},
        {"3 jn 4", 64, 1, 4, 4},
        {"Psalm 23", 19, 23, 1, 1},
        {"psalms 119:176", 19, 119, 176, 176},
        {"Ps 1", 19, 1, 1, 1},
        {"Psa 91.1", 19, 91, 1, 1},
        {"Song 2:4", 22, 2, 4, 4},
        {"Song of Solomon 2:4", 22, 2, 4, 4},
        {"song of songs 1", 22, 1, 1, 1},
        {"Canticles 8:6", 22, 8, 6, 6},
        {"Phil 4:13", 50, 4, 13, 13},
        {"Philippians 4", 50, 4, 1, 1},
        {"Phlm 1", 57, 1, 1, 1},
        {"Philemon 10", 57, 1, 10, 10},
        {"Jude 3", 65, 1, 3, 3},
        {"Jude 1:3", 65, 1, 3, 3},
        {"Isa 53", 23, 53, 1, 1},
        {"Deuter 6:4", 5, 6, 4, 4},
        {"Rev 22:21", 66, 22, 21, 21},
        {"Genesis", 1, 1, 1, 1},
        {"1st Cor 13", 46, 13, 1, 1},
        {"III John 4", 64, 1, 4, 4},
        {"1Co.13.4", 46, 13, 4, 4},
        {"Rom\u00a08:28", 45, 8, 28, 28},
    };
    for (const auto &row : rows)
        QTest::newRow(row.text) << QString::fromUtf8(row.text) << row.book << row.chapter
                                << row.verse << row.last;
}

void TestScriptureData::referenceForms()
{
    QFETCH(QString, text);
    VerseCounts counts;
    const ReferenceParser::Result result =
        ReferenceParser::parse(text, [&counts](int b, int c) { return counts(b, c); });
    QVERIFY2(result.ok, qPrintable(result.message));
    QFETCH(int, book);
    QFETCH(int, chapter);
    QFETCH(int, verse);
    QFETCH(int, lastVerse);
    QCOMPARE(result.reference.Book, book);
    QCOMPARE(result.reference.Chapter, chapter);
    QCOMPARE(result.reference.Verse, verse);
    QCOMPARE(result.reference.LastVerse, lastVerse);
}

void TestScriptureData::referenceFailures_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown book") << "Hezekiah 3:1"
                                  << "No book called Hezekiah";
    QTest::newRow("chapter past the end") << "John 22"
                                          << "John has 21 chapters";
    QTest::newRow("chapter 0") << "John 0:1"
                               << "John has 21 chapters";
    QTest::newRow("huge chapter") << "John 99999999999:1"
                                  << "John has 21 chapters";
    QTest::newRow("verse past the end") << "John 3:37"
                                        << "John 3 has 36 verses";
    QTest::newRow("verse 0") << "John 3:0"
                             << "John 3 has 36 verses";
    QTest::newRow("range past the end") << "John 3:16-40"
                                        << "John 3 has 36 verses";
    QTest::newRow("one-chapter book") << "Jude 26"
                                      << "Jude has 25 verses";
    QTest::newRow("one-chapter book's chapter") << "Jude 2:1"
                                                << "Jude has 1 chapter";
    QTest::newRow("backward range") << "1 Cor 13:7-4"
                                    << "A range runs forward, as in 1 Corinthians 13:4-7";
    QTest::newRow("ambiguous") << "Phi 1"
                               << "Phi could be Philippians or Philemon";
    QTest::newRow("no book") << "0:0"
                             << "Begin with the book, as in John 3:16";
    QTest::newRow("empty") << "  "
                           << "Type a book, a chapter and a verse, such as John 3:16";
    QTest::newRow("not a form")
        << "John 3:16-4:2"
        << "\"John 3:16-4:2\" is not a reference. Type a book, a chapter and a verse, such as "
           "John 3:16";
    QTest::newRow("too long") << QString(10000, QLatin1Char('J'))
                              << "A reference is at most 100 characters long";
    QTest::newRow("control character")
        << QStringLiteral("John 3\u0007:16") << "A reference cannot hold control characters";
    QTest::newRow("line break") << "John\n3:16"
                                << "A reference cannot hold control characters";
    QTest::newRow("unicode digits")
        << QStringLiteral("John \u0663:16")
        << "Write the reference with the letters A to Z and the digits 0 to 9";
    QTest::newRow("unicode letters")
        << QStringLiteral("J\u00f6hn 3:16")
        << "Write the reference with the letters A to Z and the digits 0 to 9";
    QTest::newRow("long unknown book")
        << "Abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz 1"
        << QStringLiteral("No book called Abcdefghijklmnopqrstuvwxyzabcdefghijklmn\u2026");
}

void TestScriptureData::referenceFailures()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    VerseCounts counts;
    const ReferenceParser::Result result =
        ReferenceParser::parse(text, [&counts](int b, int c) { return counts(b, c); });
    QVERIFY(!result.ok);
    QCOMPARE(result.message, message);
}

// The hand-off names a book by the catalogue's abbreviation, and the chapter
// check counts as the catalogue does.
void TestScriptureData::referenceBooksAgreeWithCatalogue()
{
    QSqlQuery q(open(QStringLiteral("Chapters.db")));
    QVERIFY(q.exec("select book, BookAbbr, ChapterCount, BookName from db order by book"));
    int books = 0;
    while (q.next()) {
        const int book = q.value(0).toInt();
        QCOMPARE(ReferenceParser::catalogueAbbreviation(book), q.value(1).toString());
        QCOMPARE(ReferenceParser::chapterCount(book), q.value(2).toInt());
        const ReferenceParser::Result named = ReferenceParser::parse(q.value(3).toString());
        QVERIFY2(named.ok && named.reference.Book == book, qPrintable(q.value(3).toString()));
        ++books;
    }
    QCOMPARE(books, 66);
}

// The letters of Psalm 119 are the module's, each on the verse it stands
// before (the module gives the first to the chapter, verse 0: before verse
// 1); no other chapter has any.
void TestScriptureData::headingsMatchTheModule()
{
    QFile source(Sandbox::sourceDir() + QStringLiteral("/data/kjv/titles.tsv"));
    QVERIFY(source.open(QIODevice::ReadOnly | QIODevice::Text));
    QMap<int, QString> module;
    while (!source.atEnd()) {
        const QStringList fields = QString::fromUtf8(source.readLine()).chopped(1).split('\t');
        if (fields.value(3) == QLatin1String("acrostic"))
            module.insert(qMax(1, fields.at(2).toInt()), fields.at(4));
    }
    QSqlQuery q(open(QStringLiteral("Markup.db")));
    QVERIFY(
        q.exec(QStringLiteral("select Book, Chapter, Verse, Heading from db where Heading <> ''")));
    QMap<int, QString> table;
    while (q.next()) {
        QCOMPARE(q.value(0).toInt() * 1000 + q.value(1).toInt(), 19119);
        table.insert(q.value(2).toInt(), q.value(3).toString());
    }
    QCOMPARE(table, module);
    QCOMPARE(table.size(), 22);
    QCOMPARE(table.value(9), QStringLiteral(u"\u05d1 BETH."));
    QCOMPARE(table.lastKey(), 169);
}

QTEST_GUILESS_MAIN(TestScriptureData)
#include "tst_scripturedata.moc"

// Counted once from mod2imp's export of engKJV2006eb: entries with a
// <title type="psalm">, verse entries with <transChange type="added"> in their
// text, with <q who="Jesus">, and with a pilcrow.
void TestScriptureData::printedMarksMatchTheModule()
{
    const QString markup = QStringLiteral("Markup.db");
    QCOMPARE(scalar(markup, "select count(*) from db where Title <> ''"), 116);
    QCOMPARE(scalar(markup, "select count(distinct chapter) from db where book = 19 and "
                            "Title <> ''"),
             116);
    QCOMPARE(scalar(markup, "select count(*) from db where Italic <> ''"), 14224);
    QCOMPARE(scalar(markup, "select count(*) from db where Red <> ''"), 2028);
    QCOMPARE(scalar(markup, "select count(*) from db where Paragraph = 1"), 2970);
    // Christ speaks in the gospels, Acts, Revelation and as quoted by Paul
    // (1 Corinthians 11:24-25, 2 Corinthians 12:9) only.
    QCOMPARE(scalar(markup, "select count(*) from db where Red <> '' and book not in "
                            "(40, 41, 42, 43, 44, 46, 47, 66)"),
             0);
}

void TestScriptureData::printedMarksLieOverTheText_data()
{
    QTest::addColumn<int>("book");
    QTest::addColumn<int>("chapter");
    QTest::addColumn<int>("verse");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("italic");
    QTest::addColumn<QString>("red");
    QTest::addColumn<bool>("paragraph");
    QTest::newRow("Psalm 23:1") << 19 << 23 << 1 << "A Psalm of David." << QStringList{"is"}
                                << QString() << false;
    QTest::newRow("John 3:16") << 43 << 3 << 16 << QString() << QStringList()
                               << "For God so loved the world, that he gave his only begotten "
                                  "Son, that whosoever believeth in him should not perish, but "
                                  "have everlasting life."
                               << true;
    QTest::newRow("Genesis 1:2") << 1 << 1 << 2 << QString() << QStringList{"was"} << QString()
                                 << false;
    QTest::newRow("Matthew 5:3") << 40 << 5 << 3 << QString() << QStringList{"are"}
                                 << "Blessed are the poor in spirit: for theirs is the kingdom "
                                    "of heaven."
                                 << false;
}

// The spans are offsets into the verse table's own text: a mark that slipped
// by a character would cut a word in the reader.
void TestScriptureData::printedMarksLieOverTheText()
{
    QFETCH(int, book);
    QFETCH(int, chapter);
    QFETCH(int, verse);
    QFETCH(QString, title);
    QFETCH(QStringList, italic);
    QFETCH(QString, red);
    QFETCH(bool, paragraph);

    QSqlQuery text(open(QStringLiteral("kjvbible.db")));
    QVERIFY(text.exec(QStringLiteral("select \"Scripture Text\" from db where book = %1 and "
                                     "chapter = %2 and verse = %3")
                          .arg(book)
                          .arg(chapter)
                          .arg(verse)));
    QVERIFY(text.next());
    const QString verseText = text.value(0).toString();
    QSqlQuery q(open(QStringLiteral("Markup.db")));
    QVERIFY(q.exec(QStringLiteral("select Paragraph, Italic, Red, Title from db where book = %1 "
                                  "and chapter = %2 and verse = %3")
                       .arg(book)
                       .arg(chapter)
                       .arg(verse)));
    QVERIFY(q.next());
    const auto words = [&verseText](const QString &spans) {
        QStringList out;
        for (const QString &span : spans.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int start = span.section(QLatin1Char('-'), 0, 0).toInt();
            const int end = span.section(QLatin1Char('-'), 1, 1).toInt();
            out << verseText.mid(start, end - start);
        }
        return out;
    };
    QCOMPARE(q.value(0).toInt() == 1, paragraph);
    QCOMPARE(words(q.value(1).toString()), italic);
    QCOMPARE(words(q.value(2).toString()).join(QLatin1Char('|')), red);
    QCOMPARE(q.value(3).toString(), title);
}
