// The database engine against the shipped tables (in a sandbox) and against
// small files made here for the cases the shipped data cannot show.
#include "scripture/dataset.h"
#include "scripture/scripturetext.h"
#include "scripture/sqlfunctions.h"
#include "support/sandbox.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// Runs statements on a file through a connection of its own, as another
// program would; returns SQLite's error text or an empty string.
QString runOnFile(const QString &path, const QStringList &statements,
                  QVariant *firstValue = nullptr)
{
    static int counter = 0;
    const QString name = QStringLiteral("tst-engine-probe-%1").arg(++counter);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery query(db);
            for (const QString &statement : statements) {
                if (!query.exec(statement)) {
                    failure = query.lastError().databaseText();
                    break;
                }
                if (firstValue && query.next())
                    *firstValue = query.value(0);
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}

// A verse table and a book catalogue of a few rows, shaped like the shipped ones.
void makeScriptureFixture(const QString &folder)
{
    QVERIFY(
        runOnFile(folder + QStringLiteral("/kjvbible.db"),
                  {QStringLiteral("CREATE TABLE db (\"Book\" SMALLINT, \"Chapter\" SMALLINT, "
                                  "\"Verse\" SMALLINT, \"Scripture Text\" TEXT, "
                                  "PRIMARY KEY (\"Book\", \"Chapter\", \"Verse\")) WITHOUT ROWID"),
                   QStringLiteral("INSERT INTO db VALUES (1, 1, 1, 'the lord spoke'), "
                                  "(1, 1, 2, 'the LORD spoke'), (1, 1, 3, 'the Lord spoke'), "
                                  "(1, 1, 4, 'the lOrd spoke'), (2, 1, 1, 'Ünïcode lord'), "
                                  "(2, 1, 2, 'nothing here'), (2, 1, 3, '12 ')")})
            .isEmpty());
    QVERIFY(runOnFile(folder + QStringLiteral("/Chapters.db"),
                      {QStringLiteral("CREATE TABLE db (\"Book\" SMALLINT PRIMARY KEY, "
                                      "\"BookName\" VARCHAR(20), \"BookAbbr\" VARCHAR(20))"),
                       QStringLiteral("INSERT INTO db VALUES (1, 'Genesis', 'Gen'), "
                                      "(2, 'Exodus', 'Exod')")})
                .isEmpty());
}

// The one-keyword search statement, three case forms of the keyword.
QStringList keywordStatement(const QString &upper, const QString &lower, const QString &capital)
{
    return {
        QStringLiteral(
            "select bible.*, chapters.\"bookname\" from kjvbible.db bible, chapters.db chapters"),
        QStringLiteral("where"),
        QStringLiteral("bible.\"book\"=chapters.\"book\""),
        QStringLiteral("and ("),
        QStringLiteral("(bible.\"scripture text\" like'%") + upper + QStringLiteral("%' or"),
        QStringLiteral(" bible.\"scripture text\" like'%") + lower + QStringLiteral("%' or"),
        QStringLiteral(" bible.\"scripture text\" like'%") + capital + QStringLiteral("%')"),
        QStringLiteral("and"),
        QStringLiteral("1=1)")};
}

QString messageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const EngineError &error) {
        return error.message();
    }
    return QString();
}

// Book, chapter and verse in one number that sorts like the reference.
int verseKey(int book, int chapter, int verse)
{
    return (book * 1000 + chapter) * 1000 + verse;
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void chapterFilterReadsVersesInOrder();
    void filterMatchingNothingGivesEmptyView();
    void fieldNamesInAnyCase();
    void conversions_data();
    void conversions();
    void naturalOrder();
    void nearestKeyOnAbbreviationIndex();
    void exampleSearchStatementMatchesText();
    void likeIsCaseSensitive();
    void likeAgreesWithSqlite_data();
    void likeAgreesWithSqlite();
    void likeAgreesOnRandomBytes();
    void likeWithUnderscoreOverWholeText_data();
    void likeWithUnderscoreOverWholeText();
    void upperChangesOnlyAsciiLetters();
    void quotedFileNamesAreNotTables();
    void missingTableFileIsNamedAndNotCreated();
    void damagedTableFileIsNamed();
    void damagedFileOfAJoinIsNamedAlone();
    void everyErrorNamesItsFile_data();
    void everyErrorNamesItsFile();
    void nameInOtherLetterCaseFindsFile();
    void rejectedStatementCarriesEngineMessage();
    void secondStatementIsRefusedInWords();
    void exclusiveTableLocksOutOthers();
    void sessionSaveWritesInOrderAndRollsBack();
    void writingNeedsExclusiveOpenTable();
    void scriptureTextAnswers_data();
    void scriptureTextAnswers();
    void scriptureTextNamesTheFileItCannotRead_data();
    void scriptureTextNamesTheFileItCannotRead();
    void declaredFilesAreTheOnesRead();
    void missingTableIsMadeAndExistingKept();
};

void TestEngine::chapterFilterReadsVersesInOrder()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Table bible(QStringLiteral("kjvbible.db"));
    bible.setIndexFieldNames(QStringLiteral("Book;Chapter;Verse"));
    bible.open();
    QVERIFY(bible.active());
    QCOMPARE(bible.recordCount(), 31102);

    bible.setFilter(QStringLiteral("[book] = 19 and [chapter] = 119"));
    QCOMPARE(bible.recordCount(), 176);
    QVERIFY(bible.bof());
    QVERIFY(!bible.eof());
    int expected = 1;
    for (bible.first(); !bible.eof(); bible.next()) {
        QCOMPARE(bible.fieldByName(QStringLiteral("Book")).asInteger(), 19);
        QCOMPARE(bible.fieldByName(QStringLiteral("Chapter")).asInteger(), 119);
        QCOMPARE(bible.fieldByName(QStringLiteral("verse")).asInteger(), expected);
        ++expected;
    }
    QCOMPARE(expected, 177);
    // The cursor stays on the last row once the end is passed.
    QCOMPARE(bible.fieldByName(QStringLiteral("verse")).asInteger(), 176);
    QVERIFY(!bible.bof());

    // A new filter re-reads and puts the cursor back on the first row.
    bible.next();
    bible.setFilter(QStringLiteral("[book] = 43 and [chapter] = 3"));
    QCOMPARE(bible.recordCount(), 36);
    QVERIFY(bible.bof());
    QCOMPARE(bible.recNo(), 0);
    QCOMPARE(bible.fieldByName(QStringLiteral("verse")).asInteger(), 1);
    bible.last();
    QCOMPARE(bible.fieldByName(QStringLiteral("verse")).asInteger(), 36);
    QVERIFY(bible.eof());

    Table chapters(QStringLiteral("Chapters.db"));
    chapters.open();
    chapters.setFilter(QStringLiteral("[book] = 66"));
    QCOMPARE(chapters.recordCount(), 1);
    QCOMPARE(chapters.fieldByName(QStringLiteral("ChapterCount")).asInteger(), 22);
}

void TestEngine::filterMatchingNothingGivesEmptyView()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Table chapters(QStringLiteral("Chapters.db"));
    chapters.setFilter(QStringLiteral("[book] = 67")); // set before opening
    chapters.open();
    QVERIFY(chapters.isEmpty());
    QVERIFY(chapters.bof());
    QVERIFY(chapters.eof());
    chapters.first();
    chapters.next();
    QVERIFY(chapters.bof() && chapters.eof());
    QVERIFY(!messageOf([&] { chapters.fieldByName(QStringLiteral("Book")); }).isEmpty());

    Table verses(QStringLiteral("Verses.db"));
    verses.open();
    verses.setFilter(QStringLiteral("[book] = 1 and [chapter] = 51"));
    QVERIFY(verses.isEmpty() && verses.bof() && verses.eof());
    verses.setFilter(QStringLiteral("[book] = 1 and [chapter] = 50"));
    QCOMPARE(verses.recordCount(), 1);
    QCOMPARE(verses.fieldByName(QStringLiteral("VerseCount")).asInteger(), 26);

    // An empty filter text shows every row again.
    verses.setFilter(QString());
    QCOMPARE(verses.recordCount(), 1189);

    // A misspelt field in a filter is an error, not a silently empty view.
    QVERIFY(messageOf([&] {
                verses.setFilter(QStringLiteral("[bok] = 1"));
            }).contains(QStringLiteral("bok")));
}

void TestEngine::fieldNamesInAnyCase()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Table bible(QStringLiteral("kjvbible.db"));
    bible.setIndexFieldNames(QStringLiteral("book;CHAPTER;Verse"));
    bible.setFilter(QStringLiteral("[Book] = 43 and [CHAPTER] = 11"));
    bible.open();
    bible.setFilter(QStringLiteral("[book] = 43 and [chapter] = 11 and [verse] = 35"));
    const QString text = bible.fieldByName(QStringLiteral("Scripture Text")).asString();
    QCOMPARE(text, QStringLiteral("Jesus wept."));
    QCOMPARE(bible.fieldByName(QStringLiteral("scripture text")).asString(), text);
    QCOMPARE(bible.fieldByName(QStringLiteral("SCRIPTURE TEXT")).asString(), text);
    QCOMPARE(bible.fieldByName(QStringLiteral("VERSE")).asString(), QStringLiteral("35"));

    Table chapters(QStringLiteral("Chapters.db"));
    chapters.open();
    chapters.setFilter(QStringLiteral("[book] = 43"));
    QCOMPARE(chapters.fieldByName(QStringLiteral("mhcfile")).asString(),
             chapters.fieldByName(QStringLiteral("Mhcfile")).asString());
    QVERIFY(!chapters.fieldByName(QStringLiteral("jfbfile")).asString().isEmpty());
    QCOMPARE(chapters.fieldByName(QStringLiteral("chaptercount")).asInteger(), 21);

    const QString unknown = messageOf([&] { chapters.fieldByName(QStringLiteral("Chapter")); });
    QVERIFY2(unknown.contains(QStringLiteral("Chapter")), qPrintable(unknown));
    QVERIFY(!messageOf([] {
                 Table bad(QStringLiteral("kjvbible.db"));
                 bad.setIndexFieldNames(QStringLiteral("Book;Psalm"));
                 bad.open();
             }).isEmpty());
}

void TestEngine::conversions_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("integer");
    QTest::addColumn<QString>("text");

    QTest::newRow("smallint") << QVariant(qlonglong(43)) << true << 43 << "43";
    QTest::newRow("negative") << QVariant(-7) << true << -7 << "-7";
    QTest::newRow("null") << QVariant() << true << 0 << "";
    QTest::newRow("decimal text") << QVariant(QStringLiteral("176")) << true << 176 << "176";
    QTest::newRow("leading blanks") << QVariant(QStringLiteral("  16")) << true << 16 << "  16";
    QTest::newRow("minus") << QVariant(QStringLiteral("-3")) << true << -3 << "-3";
    QTest::newRow("hexadecimal") << QVariant(QStringLiteral("$1F")) << true << 31 << "$1F";
    QTest::newRow("trailing blank") << QVariant(QStringLiteral("16 ")) << false << 0 << "16 ";
    QTest::newRow("blank") << QVariant(QString()) << false << 0 << "";
    QTest::newRow("word") << QVariant(QStringLiteral("John")) << false << 0 << "John";
    QTest::newRow("too large") << QVariant(QStringLiteral("2147483648")) << false << 0
                               << "2147483648";
    QTest::newRow("largest") << QVariant(QStringLiteral("2147483647")) << true << 2147483647
                             << "2147483647";
    QTest::newRow("64-bit") << QVariant(qlonglong(1) << 40) << false << 0 << "1099511627776";
    QTest::newRow("bytes") << QVariant(QByteArray("Ps")) << false << 0 << "Ps";
}

void TestEngine::conversions()
{
    QFETCH(QVariant, value);
    QFETCH(bool, converts);
    QFETCH(int, integer);
    QFETCH(QString, text);

    const FieldValue field(value);
    QCOMPARE(field.asString(), text);
    const QString error = messageOf([&] { QCOMPARE(field.asInteger(), integer); });
    if (converts)
        QVERIFY2(error.isEmpty(), qPrintable(error));
    else
        QCOMPARE(error, QStringLiteral("'%1' is not a valid integer value").arg(text));
}

void TestEngine::naturalOrder()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Table chapters(QStringLiteral("Chapters.db"));
    chapters.open();
    QCOMPARE(chapters.recordCount(), 66);
    int book = 0;
    for (chapters.first(); !chapters.eof(); chapters.next())
        QCOMPARE(chapters.fieldByName(QStringLiteral("Book")).asInteger(), ++book);

    Table verses(QStringLiteral("Verses.db"));
    verses.open();
    int previous = 0;
    for (verses.first(); !verses.eof(); verses.next()) {
        const int key = verseKey(verses.fieldByName(QStringLiteral("Book")).asInteger(),
                                 verses.fieldByName(QStringLiteral("Chapter")).asInteger(), 0);
        QVERIFY(previous < key);
        previous = key;
    }
}

void TestEngine::nearestKeyOnAbbreviationIndex()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Table chapters(QStringLiteral("Chapters.db"));
    chapters.setIndexName(QStringLiteral("IDX_BookAbbr"));
    chapters.open();

    QStringList abbreviations;
    QList<int> books;
    for (chapters.first(); !chapters.eof(); chapters.next()) {
        abbreviations.append(chapters.fieldByName(QStringLiteral("BookAbbr")).asString());
        books.append(chapters.fieldByName(QStringLiteral("Book")).asInteger());
    }
    QCOMPARE(abbreviations.size(), 66);
    for (int i = 1; i < abbreviations.size(); ++i)
        QVERIFY2(abbreviations.at(i - 1).compare(abbreviations.at(i), Qt::CaseInsensitive) < 0,
                 qPrintable(abbreviations.at(i)));

    for (int i = 0; i < abbreviations.size(); ++i) {
        const QString abbreviation = abbreviations.at(i);
        chapters.findNearest(abbreviation);
        QCOMPARE(chapters.fieldByName(QStringLiteral("Book")).asInteger(), books.at(i));
        // The index ignores letter case.
        chapters.findNearest(abbreviation.toUpper());
        QCOMPARE(chapters.fieldByName(QStringLiteral("Book")).asInteger(), books.at(i));
        // A key just after this abbreviation lands on the next one.
        chapters.findNearest(abbreviation + QLatin1Char(' '));
        const int next = qMin(i + 1, abbreviations.size() - 1);
        QCOMPARE(chapters.fieldByName(QStringLiteral("BookAbbr")).asString(),
                 abbreviations.at(next));
    }

    chapters.findNearest(QStringLiteral("Psalm")); // between "Ps" and the next abbreviation
    QCOMPARE(chapters.fieldByName(QStringLiteral("BookAbbr")).asString(),
             abbreviations.at(abbreviations.indexOf(QStringLiteral("Ps")) + 1));
    chapters.findNearest(QStringLiteral("zzz"));
    QCOMPARE(chapters.recNo(), 65);
    QCOMPARE(chapters.fieldByName(QStringLiteral("Book")).asInteger(), books.last());
    chapters.findNearest(QString());
    QCOMPARE(chapters.recNo(), 0);
    QCOMPARE(chapters.fieldByName(QStringLiteral("Book")).asInteger(), books.first());
    // A space sorts before letters and digits.
    chapters.findNearest(QStringLiteral(" John"));
    QCOMPARE(chapters.recNo(), 0);

    QVERIFY(messageOf([] {
                Table bad(QStringLiteral("Chapters.db"));
                bad.setIndexName(QStringLiteral("IDX_Nothing"));
                bad.open();
            }).contains(QStringLiteral("IDX_Nothing")));
}

void TestEngine::exampleSearchStatementMatchesText()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());

    // Every verse that holds both words, found by scanning the whole text.
    QSet<int> expected;
    {
        Table bible(QStringLiteral("kjvbible.db"));
        bible.open();
        const auto holds = [](const QString &text, const QString &upper, const QString &lower,
                              const QString &capital) {
            return text.contains(upper) || text.contains(lower) || text.contains(capital);
        };
        for (bible.first(); !bible.eof(); bible.next()) {
            const QString text = bible.fieldByName(QStringLiteral("Scripture Text")).asString();
            if (holds(text, QStringLiteral("TWO"), QStringLiteral("two"), QStringLiteral("Two")) &&
                holds(text, QStringLiteral("THREE"), QStringLiteral("three"),
                      QStringLiteral("Three")))
                expected.insert(verseKey(bible.fieldByName(QStringLiteral("Book")).asInteger(),
                                         bible.fieldByName(QStringLiteral("Chapter")).asInteger(),
                                         bible.fieldByName(QStringLiteral("Verse")).asInteger()));
        }
    }
    QVERIFY(expected.size() > 10);

    QStringList bookNames;
    {
        Table chapters(QStringLiteral("Chapters.db"));
        chapters.open();
        for (chapters.first(); !chapters.eof(); chapters.next())
            bookNames.append(chapters.fieldByName(QStringLiteral("BookName")).asString());
    }

    Query query;
    query.clearSql();
    const QStringList lines = {
        QStringLiteral(
            "select bible.*, chapters.\"bookname\" from kjvbible.db bible, chapters.db chapters"),
        QStringLiteral("where"),
        QStringLiteral("bible.\"book\"=chapters.\"book\""),
        QStringLiteral("and ("),
        QStringLiteral("(bible.\"scripture text\" like'%TWO%' or"),
        QStringLiteral(" bible.\"scripture text\" like'%two%' or"),
        QStringLiteral(" bible.\"scripture text\" like'%Two%')"),
        QStringLiteral("and"),
        QStringLiteral("(bible.\"scripture text\" like'%THREE%' or"),
        QStringLiteral(" bible.\"scripture text\" like'%three%' or"),
        QStringLiteral(" bible.\"scripture text\" like'%Three%')"),
        QStringLiteral("and"),
        QStringLiteral("1=1)")};
    for (const QString &line : lines)
        query.addLine(line);
    QCOMPARE(query.statement(), lines.join(QLatin1Char('\n')));
    query.open();
    QVERIFY(query.active());
    QVERIFY(!query.isEmpty());

    QSet<int> found;
    for (query.first(); !query.eof(); query.next()) {
        const int book = query.fieldByName(QStringLiteral("Book")).asInteger();
        found.insert(verseKey(book, query.fieldByName(QStringLiteral("Chapter")).asInteger(),
                              query.fieldByName(QStringLiteral("Verse")).asInteger()));
        QCOMPARE(query.fieldByName(QStringLiteral("BookName")).asString(), bookNames.at(book - 1));
        QVERIFY(!query.fieldByName(QStringLiteral("Scripture Text")).asString().isEmpty());
    }
    QCOMPARE(query.recordCount(), expected.size());
    QCOMPARE(found, expected);

    query.close();
    QVERIFY(!query.active());
    QVERIFY(query.isEmpty());
}

void TestEngine::likeIsCaseSensitive()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    makeScriptureFixture(folder.path());
    const QString previous = QDir::currentPath();
    Engine::reset();
    QDir::setCurrent(folder.path());

    Query query;
    for (const QString &line :
         keywordStatement(QStringLiteral("LORD"), QStringLiteral("lord"), QStringLiteral("Lord")))
        query.addLine(line);
    query.open();
    QStringList texts;
    for (query.first(); !query.eof(); query.next())
        texts.append(query.fieldByName(QStringLiteral("scripture text")).asString());
    texts.sort();
    QCOMPARE(texts,
             QStringList({QStringLiteral("the LORD spoke"), QStringLiteral("the Lord spoke"),
                          QStringLiteral("the lord spoke"), QStringLiteral("Ünïcode lord")}));

    // "%" stands for any run of characters, "_" for one.
    query.clearSql();
    query.addLine(
        QStringLiteral("select * from kjvbible.db where \"scripture text\" like 'the L_RD%'"));
    query.open();
    QCOMPARE(query.recordCount(), 1);

    Engine::reset();
    QDir::setCurrent(previous);
}

void TestEngine::likeAgreesWithSqlite_data()
{
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("subject");
    // The tables are laid out in columns to be read.
    // clang-format off
    const QStringList patterns = {
        QStringLiteral("%faith%"), QStringLiteral("%Faith%"), QStringLiteral("faith"),
        QStringLiteral("faith%"),  QStringLiteral("%faith"),  QStringLiteral("f%h"),
        QStringLiteral("%%"),      QStringLiteral(""),        QStringLiteral("%"),
        QStringLiteral("_"),       QStringLiteral("%a_t%"),   QStringLiteral("_a%h"),
        QStringLiteral("ab%ba"),   QStringLiteral("%ü%"),     QStringLiteral("_ber"),
        QStringLiteral("%  %"),    QStringLiteral("%_%_"),    QStringLiteral("a%a%a"),
        QStringLiteral("%_a%_"),   QStringLiteral("_%_"),     QStringLiteral("%a_%_a%"),
        QStringLiteral("f_%_h"),   QStringLiteral("%_b_%"),   QStringLiteral("%__%"),
        QStringLiteral("_%%_"),    QStringLiteral("%b_r"),    QStringLiteral("a_%a_%a"),
        // Runs searched from a rare pair inside them, longer than some subjects.
        QStringLiteral("%three%"), QStringLiteral("%lord%"),  QStringLiteral("%a%aab%")};
    const QStringList subjects = {QStringLiteral("faith"), QStringLiteral("by faith Abel"),
                                  QStringLiteral("Faith"), QStringLiteral("FAITH"),
                                  QStringLiteral(""),      QStringLiteral("f"),
                                  QStringLiteral("aba"),   QStringLiteral("abba"),
                                  QStringLiteral("über"),  QStringLiteral("two  men"),
                                  QStringLiteral("a"),     QStringLiteral("aaa"),
                                  // SQLite's LIKE reads a text up to its first NUL
                                  QString::fromUtf8("fa\0ith", 6), QString::fromUtf8("ab\0ba", 5)};
    // clang-format on
    for (const QString &pattern : patterns) {
        for (const QString &subject : subjects)
            QTest::addRow("'%s' ~ '%s'", qPrintable(pattern), qPrintable(subject))
                << pattern.toUtf8() << subject.toUtf8();
    }
    // A damaged text: SQLite compares characters as it reads them, so an
    // overlong form, a surrogate or a stray byte is not what its bytes say.
    const struct
    {
        const char *name;
        QByteArray pattern;
        QByteArray subject;
    } damaged[] = {
        {"stray continuation byte is U+0080", "%\xC2\x80%",
         "a\x80"
         "b"},
        {"overlong form is U+FFFD", "%\xEF\xBF\xBD%",
         "a\xC1\x81"
         "b"},
        {"surrogate is U+FFFD",
         "a\xEF\xBF\xBD"
         "b",
         "a\xED\xA0\x80"
         "b"},
        {"two damaged forms alike",
         "a\xC0\x80"
         "b",
         "a\xE0\x80"
         "b"},
        {"continuation bytes run on", "%\xC3\xA9%", "x\xC3\xA9\x80y"},
        {"one character over many bytes", "a_b",
         "a\xC3\xA9\x80\x80"
         "b"},
        {"lone lead byte", "a_b",
         "a\xE2"
         "b"},
        {"damaged pattern, sound text", "%\xE2\x82%", "\xE2\x82\xAC"},
        {"past the last character", "%\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},
        {"five-byte form", "_", "\xF8\x88\x80\x80\x80"},
    };
    for (const auto &row : damaged)
        QTest::newRow(row.name) << row.pattern << row.subject;
    // Every "%" is a place a naive matcher backtracks to: five of them over a
    // long run of candidates must not take exponential time.
    const QString run(400, QLatin1Char('e'));
    const QString hostile = QStringLiteral("e_%e_%e_%e_%e_%#");
    QTest::newRow("backtracking, no match") << hostile.toUtf8() << run.toUtf8();
    QTest::newRow("backtracking, match at the end")
        << hostile.toUtf8() << (run + QStringLiteral("#")).toUtf8();
    QTest::newRow("backtracking, wide characters")
        << QStringLiteral("%é_%é_%é_%é_%é_%ü").toUtf8()
        << (QString(300, QChar(0xe9)) + QStringLiteral("ü")).toUtf8();
}

// The engine's own LIKE must answer exactly as SQLite's case-sensitive one.
void TestEngine::likeAgreesWithSqlite()
{
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, subject);
    const QString name = QStringLiteral("tst-engine-like");
    bool expected = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA case_sensitive_like=ON")));
        QVERIFY(query.prepare(QStringLiteral("SELECT CAST(? AS TEXT) LIKE CAST(? AS TEXT)")));
        query.addBindValue(subject);
        query.addBindValue(pattern);
        QVERIFY(query.exec() && query.next());
        expected = query.value(0).toInt() == 1;
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    QCOMPARE(SqlFunctions::matches(pattern.constData(), int(pattern.size()), subject.constData(),
                                   int(subject.size())),
             expected);
}

// Random bytes, damaged UTF-8 above all, against SQLite's own LIKE.
void TestEngine::likeAgreesOnRandomBytes()
{
    static const char kBytes[] = {'a',    'b',    '%',    '_',    '\x80', '\xBF', '\xC0',
                                  '\xC1', '\xC2', '\xC3', '\xA9', '\xE0', '\xE2', '\xED',
                                  '\xEF', '\xBD', '\xF4', '\xF8', '\xFF'};
    QRandomGenerator random(27);
    const auto text = [&random](bool pattern) {
        QByteArray bytes(""); // empty, not NULL
        const int length = int(random.bounded(9));
        for (int i = 0; i < length; ++i) {
            const char byte = kBytes[random.bounded(int(sizeof kBytes))];
            if (pattern || (byte != '%' && byte != '_'))
                bytes.append(byte);
        }
        return bytes;
    };
    const QString name = QStringLiteral("tst-engine-like-random");
    int disagreements = 0;
    QString first;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA case_sensitive_like=ON")));
        QVERIFY(query.prepare(QStringLiteral("SELECT CAST(? AS TEXT) LIKE CAST(? AS TEXT)")));
        for (int i = 0; i < 20000; ++i) {
            const QByteArray pattern = text(true);
            const QByteArray subject = text(false);
            query.bindValue(0, subject);
            query.bindValue(1, pattern);
            QVERIFY(query.exec() && query.next());
            const bool expected = query.value(0).toInt() == 1;
            if (SqlFunctions::matches(pattern.constData(), int(pattern.size()), subject.constData(),
                                      int(subject.size())) != expected) {
                if (first.isEmpty())
                    first = QString::fromLatin1(pattern.toHex(' ') + " ~ " + subject.toHex(' '));
                ++disagreements;
            }
        }
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    QVERIFY2(disagreements == 0, qPrintable(QString::number(disagreements) + ", first " + first));
}

void TestEngine::likeWithUnderscoreOverWholeText_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("runs and one character")
        << QStringLiteral(" from db where \"Scripture Text\" like '%f_ith%' or "
                          "\"Scripture Text\" like 'And%LORD%.' or "
                          "\"Scripture Text\" like '%ing'");
    QTest::newRow("computed texts")
        << QStringLiteral(" from db where upper(\"Scripture Text\") like '%FAITH%' or "
                          "upper(\"Scripture Text\") like '%LOR_ GOD' or "
                          "upper(\"Scripture Text\") like 'AND%'");
    QTest::newRow("many places to backtrack to")
        << QStringLiteral(" from db where \"Scripture Text\" like 'e_%e_%e_%e_%e_%#' or "
                          "\"Scripture Text\" like '%e_%e_%e_%e_%e_%.'");
}

void TestEngine::likeWithUnderscoreOverWholeText()
{
    QFETCH(QString, where);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    QVariant expected;
    QVERIFY(runOnFile(sandbox.filePath(QStringLiteral("kjvbible.db")),
                      {QStringLiteral("PRAGMA case_sensitive_like=ON"),
                       QStringLiteral("select count(*)") + where},
                      &expected)
                .isEmpty());
    Query query;
    query.addLine(
        QStringLiteral("select count(*) as n") +
        QString(where).replace(QStringLiteral("from db"), QStringLiteral("from kjvbible.db")));
    query.open();
    QVERIFY(expected.toInt() > 1000);
    QCOMPARE(query.fieldByName(QStringLiteral("n")).asInteger(), expected.toInt());
}

void TestEngine::upperChangesOnlyAsciiLetters()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Query query;
    query.addLine(QStringLiteral("select upper('abc xyz éñü ß 12') as \"u\""));
    query.open();
    QCOMPARE(query.fieldByName(QStringLiteral("U")).asString(), QStringLiteral("ABC XYZ éñü ß 12"));
    // NULL stays NULL; numbers and blobs are read as text, and a NUL inside
    // a text kept, as SQLite's own does.
    query.clearSql();
    query.addLine(QStringLiteral(
        "select typeof(upper(null)) || ',' || upper(12) || ',' || upper(1.5) || ',' || "
        "upper(x'6162') || ',' || typeof(upper(x'6162')) || ',' || length(upper('')) || ',' || "
        "length(cast(upper('a' || char(0) || 'b') as blob)) as \"u\""));
    query.open();
    QCOMPARE(query.fieldByName(QStringLiteral("u")).asString(),
             QStringLiteral("null,12,1.5,AB,text,0,3"));

    // The dictionary's statement: a word containing "ab" in any letter case.
    int expected = 0;
    {
        Query all;
        all.addLine(QStringLiteral("Select * from ebd.db"));
        all.addLine(QStringLiteral("where upper(word) like '%%'"));
        all.addLine(QStringLiteral("order by word"));
        all.open();
        QVERIFY(all.recordCount() > 1000);
        QString previous;
        for (all.first(); !all.eof(); all.next()) {
            const QString word = all.fieldByName(QStringLiteral("Word")).asString();
            QVERIFY(previous <= word);
            previous = word;
            if (word.contains(QStringLiteral("ab"), Qt::CaseInsensitive))
                ++expected;
        }
    }
    query.clearSql();
    query.addLine(QStringLiteral("select * from ebd.db"));
    query.addLine(QStringLiteral("where upper(word) like '%AB%'"));
    query.addLine(QStringLiteral("order by word"));
    query.open();
    QVERIFY(expected > 0);
    QCOMPARE(query.recordCount(), expected);
    QVERIFY(!query.fieldByName(QStringLiteral("link")).asString().isEmpty());
}

void TestEngine::quotedFileNamesAreNotTables()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Query query;
    for (const QString &line :
         keywordStatement(QStringLiteral("NOTHING.DB"), QStringLiteral("nothing.db"),
                          QStringLiteral("Nothing.db")))
        query.addLine(line);
    query.open();
    QVERIFY(query.isEmpty());
    QVERIFY(query.eof() && query.bof());
}

void TestEngine::missingTableFileIsNamedAndNotCreated()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString previous = QDir::currentPath();
    Engine::reset();
    QDir::setCurrent(folder.path());

    const QString expectedPath =
        QDir::toNativeSeparators(folder.filePath(QStringLiteral("kjvbible.db")));
    Table bible(QStringLiteral("kjvbible.db"));
    QString error = messageOf([&] { bible.open(); });
    QVERIFY2(error.contains(expectedPath), qPrintable(error));
    QVERIFY(!bible.active());

    Table settings(QStringLiteral("settings.db"));
    settings.setAccess(Table::Access::Exclusive);
    error = messageOf([&] { settings.open(); });
    QVERIFY2(error.contains(QStringLiteral("settings.db")), qPrintable(error));

    Query query;
    query.addLine(QStringLiteral("select * from ebd.db"));
    error = messageOf([&] { query.open(); });
    QVERIFY2(error.contains(QStringLiteral("ebd.db")), qPrintable(error));
    QVERIFY(!query.active());

    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
    Engine::reset();
    QDir::setCurrent(previous);
}

// The search joins kjvbible.db with chapters.db: when the verse table is
// damaged, the healthy catalogue is not blamed.
void TestEngine::damagedFileOfAJoinIsNamedAlone()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString bible = sandbox.filePath(QStringLiteral("kjvbible.db"));
    QFile::setPermissions(bible, QFile::ReadOwner | QFile::WriteOwner);
    QFile damaged(bible);
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    damaged.seek(8192);
    QVERIFY(damaged.write(QByteArray(int(damaged.size()) - 8192, '\xff')) > 0);
    damaged.close();
    Engine::reset();
    Query query;
    for (const QString &line : keywordStatement(QStringLiteral("faith"), QStringLiteral("Faith"),
                                                QStringLiteral("FAITH")))
        query.addLine(line);
    const QString error = messageOf([&] { query.open(); });
    QVERIFY2(error.contains(QDir::toNativeSeparators(bible)), qPrintable(error));
    QVERIFY2(!error.contains(QStringLiteral("hapters.db")), qPrintable(error));
}

void TestEngine::damagedTableFileIsNamed()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile garbage(folder.filePath(QStringLiteral("ebd.db")));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();
    const QString previous = QDir::currentPath();
    Engine::reset();
    QDir::setCurrent(folder.path());

    for (int attempt = 0; attempt < 2; ++attempt) {
        Table ebd(QStringLiteral("ebd.db"));
        const QString error = messageOf([&] { ebd.open(); });
        QVERIFY2(error.contains(QStringLiteral("ebd.db")) &&
                     error.contains(QStringLiteral("not a database")),
                 qPrintable(error));
    }
    Engine::reset();
    QDir::setCurrent(previous);
}

// Whatever the engine refuses, the message names the file it concerns.
void TestEngine::everyErrorNamesItsFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("create");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected");
    const QString chapters =
        QStringLiteral("CREATE TABLE db (\"Number\" INTEGER, \"BookAbbr\" TEXT)");
    QTest::newRow("damaged rows") << "kjvbible.db"
                                  << "CREATE TABLE db (\"Book\" INTEGER, \"Scripture Text\" TEXT)"
                                  << "read"
                                  << "malformed";
    QTest::newRow("field missing") << "Chapters.db" << chapters << "field"
                                   << "Field 'Book'";
    QTest::newRow("index missing") << "Chapters.db" << chapters << "index"
                                   << "IDX_BookAbbr";
    QTest::newRow("order field missing") << "settings.db" << chapters << "order"
                                         << "'Order'";
    QTest::newRow("column missing") << "kjvbible.db" << chapters << "query"
                                    << "no such column";
    QTest::newRow("folder") << "kjvbible.db" << QString() << "read"
                            << "not a file";
}

void TestEngine::everyErrorNamesItsFile()
{
    QFETCH(QString, file);
    QFETCH(QString, create);
    QFETCH(QString, action);
    QFETCH(QString, expected);
    QTemporaryDir folder;
    const QString path = folder.filePath(file);
    if (create.isEmpty()) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QVERIFY(runOnFile(path, {create}).isEmpty());
        if (action == QLatin1String("read")) {
            // Rows over several pages, then every page past the schema's
            // overwritten.
            for (int i = 0; i < 50; ++i)
                runOnFile(path, {QStringLiteral("INSERT INTO db VALUES (1, '%1')")
                                     .arg(QString(200, QLatin1Char('a' + i % 26)))});
            QFile damaged(path);
            QVERIFY(damaged.open(QIODevice::ReadWrite));
            QVERIFY(damaged.size() > 3 * 4096);
            damaged.seek(4096);
            damaged.write(QByteArray(int(damaged.size()) - 4096, '\xff'));
        }
    }
    const QString previous = QDir::currentPath();
    Engine::reset();
    QDir::setCurrent(folder.path());
    Table table(file);
    Query query;
    const QString error = messageOf([&] {
        if (action == QLatin1String("query")) {
            query.addLine(QStringLiteral("select bible.\"psalm\" from kjvbible.db bible"));
            query.open();
            return;
        }
        if (action == QLatin1String("index"))
            table.setIndexName(QStringLiteral("IDX_BookAbbr"));
        if (action == QLatin1String("order"))
            table.setIndexFieldNames(QStringLiteral("Order"));
        table.open();
        table.first();
        table.fieldByName(QStringLiteral("Book"));
    });
    Engine::reset();
    QDir::setCurrent(previous);
    QVERIFY2(error.contains(expected) && error.contains(QDir::toNativeSeparators(path)),
             qPrintable(error));
}

void TestEngine::nameInOtherLetterCaseFindsFile()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Table bible(QStringLiteral("KJVBible.DB"));
    bible.open();
    QCOMPARE(bible.recordCount(), 31102);
    Table chapters(QStringLiteral("chapters.db")); // the file is Chapters.db
    chapters.open();
    QCOMPARE(chapters.recordCount(), 66);
    QVERIFY(!QFileInfo::exists(sandbox.filePath(QStringLiteral("chapters.db"))) ||
            QFileInfo(sandbox.filePath(QStringLiteral("chapters.db"))).canonicalFilePath() ==
                QFileInfo(sandbox.filePath(QStringLiteral("Chapters.db"))).canonicalFilePath());
}

void TestEngine::rejectedStatementCarriesEngineMessage()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Query query;
    query.addLine(QStringLiteral("select * from kjvbible.db bible where where"));
    QString error = messageOf([&] { query.open(); });
    QVERIFY2(error.contains(QStringLiteral("syntax error")), qPrintable(error));
    QVERIFY(!query.active());

    // A keyword holding a single quote ends the pattern early.
    query.clearSql();
    for (const QString &line : keywordStatement(QStringLiteral("DON'T"), QStringLiteral("don't"),
                                                QStringLiteral("Don't")))
        query.addLine(line);
    QVERIFY(!messageOf([&] { query.open(); }).isEmpty());

    query.clearSql();
    query.addLine(QStringLiteral("select bible.\"psalm\" from kjvbible.db bible"));
    error = messageOf([&] { query.open(); });
    QVERIFY2(error.contains(QStringLiteral("no such column")), qPrintable(error));

    // The connection is still usable afterwards.
    query.clearSql();
    query.addLine(QStringLiteral("select count(*) as n from kjvbible.db"));
    query.open();
    QCOMPARE(query.fieldByName(QStringLiteral("N")).asInteger(), 31102);
}

// A keyword with a quote can end the pattern and start a second statement:
// the engine runs one statement only and says so, not "not an error".
void TestEngine::secondStatementIsRefusedInWords()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Query query;
    query.addLine(QStringLiteral("select count(*) as n from kjvbible.db; select 1"));
    const QString error = messageOf([&] { query.open(); });
    QVERIFY2(error.contains(QStringLiteral("multiple statements")), qPrintable(error));
    QVERIFY(!query.active());

    query.clearSql();
    query.addLine(QStringLiteral("select count(*) as n from kjvbible.db;  "));
    query.open();
    QCOMPARE(query.fieldByName(QStringLiteral("n")).asInteger(), 31102);
}

void TestEngine::exclusiveTableLocksOutOthers()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString path = sandbox.filePath(QStringLiteral("settings.db"));
    QVERIFY(runOnFile(path, {QStringLiteral("select count(*) from db")}).isEmpty());
    // Read before the lock is taken: closing a descriptor of the file would
    // drop this process's locks on it.
    const auto contents = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = contents();

    Table settings(QStringLiteral("settings.db"));
    settings.setAccess(Table::Access::Exclusive);
    settings.setIndexFieldNames(QStringLiteral("Order"));
    settings.open();
    QVERIFY(settings.isEmpty());

    const QString locked = runOnFile(path, {QStringLiteral("select count(*) from db")});
    QVERIFY2(locked.contains(QStringLiteral("locked")), qPrintable(locked));

    // Another process is kept out just the same.
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (!python.isEmpty()) {
        QProcess other;
        other.start(python, {QStringLiteral("-c"),
                             QStringLiteral("import sqlite3, sys\n"
                                            "c = sqlite3.connect(sys.argv[1], timeout=0)\n"
                                            "c.execute('select count(*) from db').fetchall()\n"),
                             path});
        QVERIFY(other.waitForFinished(30000));
        QVERIFY(other.exitCode() != 0);
        QVERIFY(other.readAllStandardError().contains("locked"));
    }

    // Reading the same file through a query of this program still works.
    Query query;
    query.addLine(QStringLiteral("select count(*) as n from settings.db"));
    query.open();
    QCOMPARE(query.fieldByName(QStringLiteral("n")).asInteger(), 0);

    Engine::reset();
    QVERIFY(runOnFile(path, {QStringLiteral("select count(*) from db")}).isEmpty());
    // Taking the lock wrote nothing: start-up leaves the file as it was.
    QCOMPARE(contents(), before);
}

void TestEngine::sessionSaveWritesInOrderAndRollsBack()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString path = sandbox.filePath(QStringLiteral("settings.db"));
    const auto save = [](Table &table, const QList<int> &books) {
        table.emptyTable();
        for (int i = books.size() - 1; i >= 0; --i) { // out of order on purpose
            table.append();
            table.setField(QStringLiteral("order"), i);
            table.setField(QStringLiteral("BOOK"), books.at(i));
            table.setField(QStringLiteral("chapter"), 3);
            table.setField(QStringLiteral("verse"), 16);
            table.setField(QStringLiteral("top"), 10);
            table.setField(QStringLiteral("left"), 20);
            table.setField(QStringLiteral("height"), 300);
            table.setField(QStringLiteral("Width"), 400);
            table.post();
        }
    };
    // The books in the order read, or nothing when "order" has a gap.
    const auto books = [](Table &table) {
        QList<int> result;
        for (table.first(); !table.eof(); table.next()) {
            if (table.fieldByName(QStringLiteral("Order")).asInteger() != result.size())
                return QList<int>();
            result.append(table.fieldByName(QStringLiteral("book")).asInteger());
        }
        return result;
    };

    {
        Table settings(QStringLiteral("settings.db"));
        settings.setAccess(Table::Access::Exclusive);
        settings.setIndexFieldNames(QStringLiteral("Order"));
        settings.open();
        settings.beginTransaction();
        save(settings, {43, 45, 19});
        settings.commit();
        QCOMPARE(books(settings), QList<int>({43, 45, 19}));

        settings.beginTransaction();
        save(settings, {1});
        QCOMPARE(books(settings), QList<int>({1}));
        settings.rollback();
        QCOMPARE(books(settings), QList<int>({43, 45, 19}));

        // A save cut short (the program ends mid-way) leaves the last full save.
        settings.beginTransaction();
        settings.emptyTable();
        settings.append();
        settings.setField(QStringLiteral("order"), 0);
        settings.post();
        Engine::reset();
    }
    QVariant rows;
    QVERIFY(runOnFile(path, {QStringLiteral("select count(*) from db")}, &rows).isEmpty());
    QCOMPARE(rows.toInt(), 3);

    Table again(QStringLiteral("settings.db"));
    again.setAccess(Table::Access::Exclusive);
    again.setIndexFieldNames(QStringLiteral("Order"));
    again.open();
    QCOMPARE(books(again), QList<int>({43, 45, 19}));
    again.emptyTable();
    QVERIFY(again.isEmpty() && again.bof() && again.eof());
}

void TestEngine::writingNeedsExclusiveOpenTable()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Table readOnly(QStringLiteral("Chapters.db"));
    readOnly.open();
    QVERIFY(!messageOf([&] { readOnly.emptyTable(); }).isEmpty());
    QVERIFY(!messageOf([&] { readOnly.append(); }).isEmpty());
    QCOMPARE(readOnly.recordCount(), 66);

    Table settings(QStringLiteral("settings.db"));
    settings.setAccess(Table::Access::Exclusive);
    QVERIFY(!messageOf([&] { settings.emptyTable(); }).isEmpty()); // not open yet
    settings.open();
    settings.append();
    QVERIFY(messageOf([&] {
                settings.setField(QStringLiteral("colour"), 1);
            }).contains(QStringLiteral("colour")));
    settings.setField(QStringLiteral("order"), 5);
    settings.post();
    QCOMPARE(settings.recordCount(), 1);
    QVERIFY(!messageOf([&] { settings.post(); }).isEmpty()); // no row being appended
}

// The questions the windows ask, against the shipped text. -1 stands for
// "no such row".
void TestEngine::scriptureTextAnswers_data()
{
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("book");
    QTest::addColumn<int>("chapter");
    QTest::addColumn<int>("expected");
    QTest::newRow("chapters of Psalms") << "chapters" << 19 << 0 << 150;
    QTest::newRow("chapters of Revelation") << "chapters" << 66 << 0 << 22;
    QTest::newRow("chapters of book 67") << "chapters" << 67 << 0 << -1;
    QTest::newRow("chapters of book 0") << "chapters" << 0 << 0 << -1;
    QTest::newRow("verses of Psalm 119") << "verses" << 19 << 119 << 176;
    QTest::newRow("verses of Genesis 1") << "verses" << 1 << 1 << 31;
    QTest::newRow("verses of Genesis 51") << "verses" << 1 << 51 << -1;
    QTest::newRow("text of Psalm 119") << "text" << 19 << 119 << 176;
    QTest::newRow("text of Genesis 1") << "text" << 1 << 1 << 31;
    QTest::newRow("text of John 3") << "text" << 43 << 3 << 36;
    QTest::newRow("text of Genesis 51") << "text" << 1 << 51 << 0;
}

void TestEngine::scriptureTextAnswers()
{
    QFETCH(QString, question);
    QFETCH(int, book);
    QFETCH(int, chapter);
    QFETCH(int, expected);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    ScriptureText text;
    text.open();
    if (question == QLatin1String("chapters")) {
        QCOMPARE(text.chapterCount(book).value_or(-1), expected);
    } else if (question == QLatin1String("verses")) {
        QCOMPARE(text.verseCount(book, chapter).value_or(-1), expected);
    } else {
        const QVector<ScriptureText::Verse> verses = text.verses(book, chapter);
        QCOMPARE(verses.size(), expected);
        for (int i = 0; i < verses.size(); ++i) {
            QCOMPARE(verses.at(i).number, i + 1);
            QVERIFY(!verses.at(i).text.isEmpty());
        }
        // The cursor the reader lays a chapter in from gives the same rows.
        Cursor &rows = text.chapterRows(book, chapter);
        QCOMPARE(rows.recordCount(), expected);
        if (expected > 0) {
            QCOMPARE(rows.fieldByName(QStringLiteral("Verse")).asInteger(), 1);
            QCOMPARE(rows.fieldByName(QStringLiteral("Scripture Text")).asString(),
                     verses.first().text);
        }
        // Read a chapter at a time through SQLite's cache, not mapped: mapped,
        // every chapter shown keeps the file's pages around it resident.
        Query mapSize;
        mapSize.addLine(QStringLiteral("PRAGMA kjvbible.mmap_size"));
        mapSize.open();
        QCOMPARE(mapSize.fieldByName(QStringLiteral("mmap_size")).asInteger(), 0);
    }
}

// What cannot be read is told by the file it concerns, whichever question
// meets it first.
void TestEngine::scriptureTextNamesTheFileItCannotRead_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text missing") << "kjvbible.db"
                                  << "remove"
                                  << "open"
                                  << "does not exist";
    QTest::newRow("counts missing") << "Verses.db"
                                    << "remove"
                                    << "verses"
                                    << "does not exist";
    QTest::newRow("catalogue damaged") << "Chapters.db"
                                       << "garbage"
                                       << "chapters"
                                       << "not a database";
    QTest::newRow("catalogue without counts") << "Chapters.db"
                                              << "fields"
                                              << "chapters"
                                              << "ChapterCount";
    QTest::newRow("catalogue without a book's row") << "Chapters.db"
                                                    << "rows"
                                                    << "commentary"
                                                    << "no row for book 43";
    QTest::newRow("abbreviation index missing") << "Chapters.db"
                                                << "fields"
                                                << "nearest"
                                                << "IDX_BookAbbr";
}

void TestEngine::scriptureTextNamesTheFileItCannotRead()
{
    QFETCH(QString, file);
    QFETCH(QString, damage);
    QFETCH(QString, question);
    QFETCH(QString, expected);
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    const QString path = sandbox.filePath(file);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(QFile::remove(path));
    if (damage == QLatin1String("garbage")) {
        QFile garbage(path);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, 'x'));
    } else if (damage == QLatin1String("fields")) {
        QVERIFY(runOnFile(path, {QStringLiteral("CREATE TABLE db (\"Book\" INTEGER)"),
                                 QStringLiteral("INSERT INTO db VALUES (43)")})
                    .isEmpty());
    } else if (damage == QLatin1String("rows")) {
        QVERIFY(runOnFile(path, {QStringLiteral("CREATE TABLE db (\"Book\" INTEGER, "
                                                "\"Mhcfile\" TEXT, \"Jfbfile\" TEXT)"),
                                 QStringLiteral("INSERT INTO db VALUES (1, 'a', 'b')")})
                    .isEmpty());
    }
    Engine::reset();
    ScriptureText text;
    const QString error = messageOf([&] {
        if (question == QLatin1String("open"))
            text.open();
        else if (question == QLatin1String("verses"))
            text.verseCount(1, 1);
        else if (question == QLatin1String("chapters"))
            text.chapterCount(43);
        else if (question == QLatin1String("commentary"))
            text.commentaryFiles(43);
        else
            text.nearestBook(QStringLiteral("John"));
    });
    Engine::reset();
    QVERIFY2(error.contains(expected) && error.contains(QDir::toNativeSeparators(path)),
             qPrintable(error));
}

// A statement reads the files its builder declares, not whatever its text
// happens to spell like a file name.
void TestEngine::declaredFilesAreTheOnesRead()
{
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    ScriptureText text;
    QCOMPARE(text.commentaryFiles(43).mhc, QStringLiteral("john.htm#"));
    QCOMPARE(text.nearestBook(QStringLiteral("ps")).book, 19);

    Query query;
    query.setTableFiles({QStringLiteral("ebd.db")});
    query.addLine(QStringLiteral("select count(*) as n from ebd.db"));
    query.open();
    QVERIFY(query.fieldByName(QStringLiteral("n")).asInteger() > 0);

    Query undeclared;
    undeclared.setTableFiles({QStringLiteral("missing.db")});
    undeclared.addLine(QStringLiteral("select 1"));
    const QString error = messageOf([&] { undeclared.open(); });
    QVERIFY2(
        error.contains(QDir::toNativeSeparators(sandbox.filePath(QStringLiteral("missing.db")))),
        qPrintable(error));
}

void TestEngine::missingTableIsMadeAndExistingKept()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString fields = QStringLiteral("\"order\" integer primary key, \"book\" integer");
    const QString path = folder.filePath(QStringLiteral("settings.db"));
    QVERIFY(Engine::createIfMissing(path, fields));
    QVERIFY(runOnFile(path, {QStringLiteral("INSERT INTO db VALUES (0, 43)")}).isEmpty());
    // Another letter case names the same file, which is kept as it is.
    QVERIFY(!Engine::createIfMissing(folder.filePath(QStringLiteral("Settings.DB")), fields));
    QVariant rows;
    QVERIFY(runOnFile(path, {QStringLiteral("select count(*) from db")}, &rows).isEmpty());
    QCOMPARE(rows.toInt(), 1);

    // A folder in the table's place is told, never made over.
    const QString occupied = folder.filePath(QStringLiteral("taken.db"));
    QVERIFY(QDir().mkpath(occupied));
    QVERIFY(messageOf([&] {
                Engine::createIfMissing(occupied, fields);
            }).contains(QDir::toNativeSeparators(occupied)));
    Engine::reset();
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
