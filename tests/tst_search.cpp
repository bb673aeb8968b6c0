// The verse search: the statement builder, the window's design and wiring,
// and searches over copies of the real tables, checked against the verse
// text read independently.
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "dictionary/formebd.h"
#include "reader/formbook.h"
#include "scripture/dataset.h"
#include "search/formsearch.h"
#include "search/keywordmatcher.h"
#include "search/resultsgrid.h"
#include "search/searchstatement.h"
#include "support/messageanswers.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStatusBar>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <tuple>

namespace {

using Ref = std::tuple<int, int, int>;

struct Verse
{
    int book, chapter, verse;
    QString text;
};

// The matching rule of the search, done with regular expressions: "%" and
// "_" keep their pattern meaning, ASCII letters match in any case unless the
// case is to match, and whole words have no letter on either side.
QRegularExpression likePattern(const QString &form, bool wholeWords)
{
    QString expression;
    for (const QChar c : form) {
        if (c == QLatin1Char('%'))
            expression += QLatin1String(".*");
        else if (c == QLatin1Char('_'))
            expression += QLatin1Char('.');
        else
            expression += QRegularExpression::escape(QString(c));
    }
    if (wholeWords)
        expression = QLatin1String("(?<!\\p{L})") + expression + QLatin1String("(?!\\p{L})");
    return QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption);
}

struct Rule
{
    QRegularExpression pattern;
    bool matchCase = false;
};

Rule keywordRule(const QString &keyword, bool matchCase = false, bool wholeWords = false)
{
    return {likePattern(matchCase ? keyword : SearchStatement::asciiLower(keyword), wholeWords),
            matchCase};
}

bool verseHolds(const QString &text, const Rule &rule)
{
    return rule.pattern.match(rule.matchCase ? text : SearchStatement::asciiLower(text)).hasMatch();
}

const char *const kExample[] = {
    R"(select bible.*, chapters."bookname" from kjvbible.db bible, chapters.db chapters)",
    "where",
    R"(bible."book"=chapters."book")",
    "and (",
    R"((bible."scripture text" like'%TWO%' or)",
    R"( bible."scripture text" like'%two%' or)",
    R"( bible."scripture text" like'%Two%'))",
    "and",
    R"((bible."scripture text" like'%THREE%' or)",
    R"( bible."scripture text" like'%three%' or)",
    R"( bible."scripture text" like'%Three%'))",
    "and",
    "1=1)",
};

QStringList exampleLines()
{
    QStringList lines;
    for (const char *line : kExample)
        lines << QString::fromLatin1(line);
    return lines;
}

// The readers a search window asks for, in order.
class Requests : public QObject
{
public:
    explicit Requests(TFormSearch &form)
    {
        connect(&form, &TFormSearch::OpenBookRequest, this,
                [this](const VerseReference &place) { places.append(place); });
    }
    VerseReference last() const { return places.isEmpty() ? VerseReference{} : places.last(); }
    QList<VerseReference> places;
};
} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void statementExample();
    void statementGroups_data();
    void statementGroups();
    void blankBoxesGiveNoStatement();

    void windowDesign();
    void blankBoxesIssueNothing();
    void controlCharactersAreDropped_data();
    void controlCharactersAreDropped();
    void countsMatchTheText_data();
    void countsMatchTheText();
    void gridRowsCellsAndBooks();
    void everyCaseForm();
    void searchCounts_data();
    void searchCounts();
    void badInputEndsQuickly_data();
    void badInputEndsQuickly();
    void longKeywordIsCutAndSaidSo();
    void changedTableIsReadAgain();
    void matcherAgreesWithExpressions_data();
    void matcherAgreesWithExpressions();
    void apostropheKeyword();
    void oddKeywords_data();
    void oddKeywords();
    void noResult();
    void engineErrorLeavesWindowUsable();
    void enterStartsSearch();
    void doubleClickRequestsReader();
    void doubleClickWithoutSelectionDoesNothing();
    void keyOnResultOpensIt_data();
    void keyOnResultOpensIt();
    void twoWindowsKeepTheirResults();
    void resultsArePaintedOnce();
    void textColumnTakesTheRest();
    void longVerseIsClippedNotElided();
    void cellDrawsAsItsWholeText_data();
    void cellDrawsAsItsWholeText();
    void cellDrawsAsTheStyleInEveryState_data();
    void cellDrawsAsTheStyleInEveryState();
    void readerOpensAtDoubleClickedVerse();
    void openedResultIsMarkedInTheReader();
    void optionsAreReachableAndNamed();
    void keywordsShowBoldAndVerseWhole();
    void altLetterStartsTheFocusedSearch();
    void resultMenuOpensInTheActiveReader();

private:
    bool tablesReady() const { return m_sandbox && m_verses.size() > 30000; }
    std::set<Ref> expected(const QStringList &keywords, bool all, bool matchCase = false,
                           bool wholeWords = false) const;
    static std::set<Ref> shown(const TFormSearch &form);
    void search(TFormSearch &form, const QStringList &keywords, bool all = true);
    void selectRow(TFormSearch &form, int gridRow, int column = 0);

    std::unique_ptr<Sandbox> m_sandbox;
    QVector<Verse> m_verses;
    QHash<int, QString> m_bookNames;
};

#define REQUIRE_TABLES()                                                                           \
    if (!tablesReady())                                                                            \
    QFAIL("the scripture tables kjvbible.db and Chapters.db were not read: build kelvaro_data")

void TestSearch::initTestCase()
{
    const QString built = Sandbox::programDir() + QStringLiteral("/kjvbible.db");
    QVERIFY2(QFile::exists(built),
             qPrintable(built + QStringLiteral(" is missing: build kelvaro_data")));
    m_sandbox = std::make_unique<Sandbox>();
    QVERIFY(m_sandbox->isValid());
    const QString bible = m_sandbox->filePath(QStringLiteral("kjvbible.db"));
    QFile::setPermissions(bible, QFile::ReadOwner | QFile::WriteOwner);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
        db.setDatabaseName(bible);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        // Gen 1:1-4 gain one made-up word each, in the three case forms
        // the search knows and one it does not.
        const char *const marks[] = {"frobnitz", "FROBNITZ", "Frobnitz", "fRobnitz"};
        for (int verse = 1; verse <= 4; ++verse) {
            QSqlQuery update(db);
            QVERIFY(update.prepare(
                QStringLiteral("update db set \"Scripture Text\" = \"Scripture Text\" || ' ' || ? "
                               "where Book = 1 and Chapter = 1 and Verse = ?")));
            update.addBindValue(QString::fromLatin1(marks[verse - 1]));
            update.addBindValue(verse);
            QVERIFY2(update.exec(), qPrintable(update.lastError().text()));
            QCOMPARE(update.numRowsAffected(), 1);
        }
        QSqlQuery all(QStringLiteral("select * from db"), db);
        const QSqlRecord record = all.record();
        const int book = record.indexOf(QStringLiteral("Book"));
        const int chapter = record.indexOf(QStringLiteral("Chapter"));
        const int verse = record.indexOf(QStringLiteral("Verse"));
        const int text = record.indexOf(QStringLiteral("Scripture Text"));
        QVERIFY(book >= 0 && chapter >= 0 && verse >= 0 && text >= 0);
        while (all.next()) {
            m_verses.append({all.value(book).toInt(), all.value(chapter).toInt(),
                             all.value(verse).toInt(), all.value(text).toString()});
        }
        db.close();
        db.setDatabaseName(m_sandbox->filePath(QStringLiteral("Chapters.db")));
        QVERIFY(db.open());
        QSqlQuery books(QStringLiteral("select * from db"), db);
        while (books.next()) {
            m_bookNames.insert(books.value(QStringLiteral("Book")).toInt(),
                               books.value(QStringLiteral("BookName")).toString());
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    Engine::reset();
}

void TestSearch::cleanupTestCase()
{
    m_sandbox.reset();
}

std::set<Ref> TestSearch::expected(const QStringList &keywords, bool all, bool matchCase,
                                   bool wholeWords) const
{
    QVector<Rule> rules;
    for (const QString &keyword : keywords) {
        if (!SearchStatement::isBlankKeyword(keyword))
            rules.append(keywordRule(keyword, matchCase, wholeWords));
    }
    std::set<Ref> refs;
    for (const Verse &verse : m_verses) {
        bool any = false;
        bool every = true;
        for (const auto &rule : rules) {
            const bool holds = verseHolds(verse.text, rule);
            any = any || holds;
            every = every && holds;
        }
        if (all ? every : any)
            refs.insert({verse.book, verse.chapter, verse.verse});
    }
    return refs;
}

std::set<Ref> TestSearch::shown(const TFormSearch &form)
{
    std::set<Ref> refs;
    const ResultsGrid *grid = form.StringGridResults;
    for (int row = 1; row < grid->rowCount(); ++row) {
        if (grid->cell(0, row).isEmpty())
            continue;
        refs.insert(
            {form.ResultBooks.value(row), grid->cell(1, row).toInt(), grid->cell(2, row).toInt()});
    }
    return refs;
}

void TestSearch::search(TFormSearch &form, const QStringList &keywords, bool all)
{
    const auto boxes = form.keywordBoxes();
    for (int i = 0; i < 5; ++i)
        boxes[std::size_t(i)]->setText(keywords.value(i));
    form.ComboBoxconjunction->setCurrentText(all ? QStringLiteral("all") : QStringLiteral("any"));
    form.BtnSearchClick();
}

void TestSearch::selectRow(TFormSearch &form, int gridRow, int column)
{
    QTableView *grid = form.StringGridResults;
    grid->setCurrentIndex(grid->model()->index(gridRow - 1, column));
}

// ---- The statement ----------------------------------------------------------

void TestSearch::statementExample()
{
    const QStringList boxes{QStringLiteral("Two"), QString(), QStringLiteral("three"), QString(),
                            QString()};
    QCOMPARE(buildSearchStatement(boxes, true), exampleLines());

    QStringList any = exampleLines();
    any[7] = any[11] = QStringLiteral("or");
    any[12] = QStringLiteral("1=0)");
    QCOMPARE(buildSearchStatement(boxes, false), any);
}

void TestSearch::statementGroups_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QStringList>("tail"); // the lines after "and ("

    const auto group = [](const char *upper, const char *lower, const char *capital) {
        return QStringList{
            QStringLiteral("(bible.\"scripture text\" like'%%1%' or").arg(QString::fromUtf8(upper)),
            QStringLiteral(" bible.\"scripture text\" like'%%1%' or").arg(QString::fromUtf8(lower)),
            QStringLiteral(" bible.\"scripture text\" like'%%1%')")
                .arg(QString::fromUtf8(capital))};
    };
    const QString empty;
    QTest::newRow("Edit2 and Edit5 only")
        << QStringList{empty, QStringLiteral("faith"), QStringLiteral(" "), empty,
                       QStringLiteral("hope")}
        << true
        << (group("FAITH", "faith", "Faith") + QStringList{QStringLiteral("and")} +
            group("HOPE", "hope", "Hope") +
            QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("one keyword, any")
        << QStringList{QStringLiteral("faith")} << false
        << (group("FAITH", "faith", "Faith") +
            QStringList{QStringLiteral("or"), QStringLiteral("1=0)")});
    QTest::newRow("upper-case keyword")
        << QStringList{QStringLiteral("LORD")} << true
        << (group("LORD", "lord", "Lord") +
            QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("mixed case keyword")
        << QStringList{QStringLiteral("lOrD")} << true
        << (group("LORD", "lord", "Lord") +
            QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("one letter") << QStringList{QStringLiteral("a")} << true
                                << (group("A", "a", "A") +
                                    QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("two spaces") << QStringList{QStringLiteral("  ")} << true
                                << (group("  ", "  ", "  ") +
                                    QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("phrase with spaces around")
        << QStringList{QStringLiteral(" the lord ")} << true
        << (group(" THE LORD ", " the lord ", " the lord ") +
            QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("letters outside ASCII stay as typed")
        << QStringList{QStringLiteral("Ésaü")} << true
        << (group("ÉSAü", "Ésaü", "Ésaü") +
            QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("pattern characters pass unchanged")
        << QStringList{QStringLiteral("a%b_c")} << true
        << (group("A%B_C", "a%b_c", "A%b_c") +
            QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("apostrophes doubled in every form")
        << QStringList{QStringLiteral("Lord's")} << true
        << (group("LORD''S", "lord''s", "Lord''s") +
            QStringList{QStringLiteral("and"), QStringLiteral("1=1)")});
    QTest::newRow("lone apostrophe")
        << QStringList{QStringLiteral("'")} << false
        << (group("''", "''", "''") + QStringList{QStringLiteral("or"), QStringLiteral("1=0)")});
}

void TestSearch::statementGroups()
{
    QFETCH(QStringList, boxes);
    QFETCH(bool, all);
    QFETCH(QStringList, tail);
    const QStringList statement = buildSearchStatement(boxes, all);
    QCOMPARE(statement.mid(0, 4), exampleLines().mid(0, 4));
    QCOMPARE(statement.mid(4), tail);
}

void TestSearch::blankBoxesGiveNoStatement()
{
    QVERIFY(buildSearchStatement({}, true).isEmpty());
    QVERIFY(buildSearchStatement({QString(), QString(), QString(), QString(), QString()}, true)
                .isEmpty());
    const QString space = QStringLiteral(" ");
    QVERIFY(buildSearchStatement({space, space, space, space, space}, false).isEmpty());
}

// ---- The window ---------------------------------------------------------------

void TestSearch::windowDesign()
{
    TFormSearch form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Find Verses"));
    QVERIFY(form.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(form.size(), QSize(457, 348));
    QCOMPARE(form.Panel1->height(), 85);
    QCOMPARE(form.Label4->text(), QStringLiteral("Keywords:"));
    QCOMPARE(form.Label4->pos(), QPoint(10, 13));
    const int lefts[] = {62, 134, 206, 278, 350};
    for (int i = 0; i < 5; ++i) {
        QLineEdit *edit = form.keywordBoxes()[std::size_t(i)];
        QCOMPARE(edit->objectName(), QStringLiteral("Edit%1").arg(i + 1));
        QCOMPARE(edit->pos(), QPoint(lefts[i], 10));
        QCOMPARE(edit->width(), 70);
        QVERIFY(edit->text().isEmpty());
    }
    QCOMPARE(form.Label2->text(), QStringLiteral("Find all verses that contain"));
    QCOMPARE(form.Label2->pos(), QPoint(10, 41));
    QCOMPARE(form.ComboBoxconjunction->count(), 2);
    QCOMPARE(form.ComboBoxconjunction->itemText(0), QStringLiteral("all"));
    QCOMPARE(form.ComboBoxconjunction->itemText(1), QStringLiteral("any"));
    QVERIFY(!form.ComboBoxconjunction->isEditable());
    QCOMPARE(form.ComboBoxconjunction->currentText(), QStringLiteral("all"));
    QCOMPARE(form.ComboBoxconjunction->geometry().topLeft(), QPoint(146, 38));
    QCOMPARE(form.ComboBoxconjunction->width(), 41);
    QCOMPARE(form.Label3->text(), QStringLiteral("of these words."));
    QCOMPARE(form.Label3->pos(), QPoint(194, 41));
    QCOMPARE(form.BtnSearch->text(), QStringLiteral("&Start Search"));
    QCOMPARE(form.BtnSearch->geometry(), QRect(343, 37, 77, 23));
    QVERIFY(form.BtnSearch->isDefault());
    QCOMPARE(form.Panel3->text(),
             QStringLiteral("Double-click a verse below to view it in context."));
    QCOMPARE(form.Panel3->height(), 17);
    QCOMPARE(form.statusText(), QStringLiteral("0 Verse(s) Found"));

    // Tab order: the five boxes, the list, the button.
    QWidget *chain[] = {form.Edit1,    form.Edit2, form.Edit3,
                        form.Edit4,    form.Edit5, form.ComboBoxconjunction,
                        form.BtnSearch};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i) {
        QWidget *next = chain[i]->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next, chain[i + 1]);
    }

    const ResultsGrid *grid = form.StringGridResults;
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->model()->columnCount(), 4);
    const char *const headings[] = {"Book", "Ch", "Vs", "Text"};
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(grid->cell(column, 0), QString::fromLatin1(headings[column]));
        QVERIFY(grid->cell(column, 1).isEmpty());
    }
    QCOMPARE(grid->columnWidth(0), 90);
    QCOMPARE(grid->columnWidth(1), 25);
    QCOMPARE(grid->columnWidth(2), 25);
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 16);
    QVERIFY(!grid->showGrid());
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectItems);
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!(grid->model()->flags(grid->model()->index(0, 3)) & Qt::ItemIsEditable));
    QCOMPARE(form.SelectedRow, 0);
    QVERIFY(form.ResultBooks.isEmpty());
}

// A NUL would end the statement inside its pattern ("unrecognized token");
// no verse holds a control character, so they are dropped from keywords.
void TestSearch::controlCharactersAreDropped_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::newRow("NUL") << QStringLiteral("fai") + QChar(0) + QStringLiteral("th");
    QTest::newRow("SOH") << QStringLiteral("fa\x01ith");
    QTest::newRow("tab at the end") << QStringLiteral("faith\t");
}

void TestSearch::controlCharactersAreDropped()
{
    REQUIRE_TABLES();
    QFETCH(QString, keyword);
    TFormSearch plain;
    search(plain, {QStringLiteral("faith")});
    TFormSearch form;
    search(form, {keyword});
    QCOMPARE(form.statusText(), plain.statusText());
    QCOMPARE(form.QueryBible.sql(), plain.QueryBible.sql());
}

void TestSearch::blankBoxesIssueNothing()
{
    TFormSearch form;
    form.QueryBible.addLine(QStringLiteral("never run"));
    search(form, {QString(), QStringLiteral(" "), QString(), QStringLiteral(" "), QString()});
    QCOMPARE(form.statusText(), QStringLiteral("0 Verse(s) Found"));
    QCOMPARE(form.QueryBible.sql(), QStringList{QStringLiteral("never run")});
    QVERIFY(!form.QueryBible.active());
    QCOMPARE(form.StringGridResults->rowCount(), 2);
    QVERIFY(form.StringGridResults->cell(0, 1).isEmpty());
    QVERIFY(!QApplication::overrideCursor());
}

void TestSearch::countsMatchTheText_data()
{
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<bool>("all");
    QTest::newRow("faith") << QStringList{QStringLiteral("faith")} << true;
    QTest::newRow("Two and three")
        << QStringList{QStringLiteral("Two"), QString(), QStringLiteral("three")} << true;
    QTest::newRow("Two or three") << QStringList{QStringLiteral("Two"), QString(),
                                                 QStringLiteral("three")}
                                  << false;
    QTest::newRow("phrase") << QStringList{QStringLiteral("the lord")} << true;
    QTest::newRow("three of five, all")
        << QStringList{QString(), QStringLiteral("love"), QStringLiteral(" "),
                       QStringLiteral("god"), QStringLiteral("world")}
        << true;
    QTest::newRow("five, any") << QStringList{QStringLiteral("shepherd"), QStringLiteral("lamb"),
                                              QStringLiteral("sheep"), QStringLiteral("flock"),
                                              QStringLiteral("fold")}
                               << false;
}

void TestSearch::countsMatchTheText()
{
    REQUIRE_TABLES();
    QFETCH(QStringList, keywords);
    QFETCH(bool, all);
    TFormSearch form;
    search(form, keywords, all);
    const std::set<Ref> want = expected(keywords, all);
    QVERIFY(!want.empty());
    QCOMPARE(form.StringGridResults->rowCount(), int(want.size()) + 1);
    QCOMPARE(shown(form), want);
    QCOMPARE(form.statusText(), QStringLiteral("%1 Verse(s) Found").arg(want.size()));
    QVERIFY(!QApplication::overrideCursor());
}

void TestSearch::gridRowsCellsAndBooks()
{
    REQUIRE_TABLES();
    TFormSearch form;
    search(form, {QStringLiteral("Meshach")});
    const ResultsGrid *grid = form.StringGridResults;
    const int found = grid->rowCount() - 1;
    QCOMPARE(found, int(expected({QStringLiteral("Meshach")}, true).size()));
    QCOMPARE(form.ResultBooks.size(), found + 1);
    QCOMPARE(form.statusText(), QStringLiteral("%1 Verse(s) Found").arg(found));
    std::map<Ref, QString> texts;
    for (const Verse &verse : m_verses)
        texts[{verse.book, verse.chapter, verse.verse}] = verse.text;
    for (int row = 1; row <= found; ++row) {
        const int book = form.ResultBooks.at(row);
        QCOMPARE(book, 27); // Daniel
        QCOMPARE(grid->cell(0, row), m_bookNames.value(book));
        const Ref ref{book, grid->cell(1, row).toInt(), grid->cell(2, row).toInt()};
        QCOMPARE(grid->cell(1, row), QString::number(std::get<1>(ref)));
        QCOMPARE(grid->cell(3, row), texts[ref]);
    }
}

void TestSearch::everyCaseForm()
{
    REQUIRE_TABLES();
    const std::set<Ref> four{{1, 1, 1}, {1, 1, 2}, {1, 1, 3}, {1, 1, 4}};
    for (const char *keyword : {"frobnitz", "FROBNITZ", "Frobnitz", "fRobnitz"}) {
        TFormSearch form;
        search(form, {QString::fromLatin1(keyword)});
        QCOMPARE(shown(form), four);
        QCOMPARE(form.statusText(), QStringLiteral("4 Verse(s) Found"));
        QCOMPARE(form.booksText(), QStringLiteral("in 1 Book(s)"));
        QCOMPARE(form.ResultBooks.mid(1), (QVector<qint32>{1, 1, 1, 1}));
        // Matching the case finds the one verse that writes it so.
        form.CheckBoxMatchCase->setChecked(true);
        form.BtnSearchClick();
        QCOMPARE(form.statusText(), QStringLiteral("1 Verse(s) Found"));
    }
}

// Counts made once outside the program, over data/kjv/kjv.tsv with Python's
// regular expressions (ASCII letters folded unless the case is to match,
// "%" as ".*", "_" as ".", whole words as no letter on either side).
void TestSearch::searchCounts_data()
{
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<bool>("all");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWords");
    QTest::addColumn<int>("scope"); // 0 Bible, 1 Old, 2 New Testament, 2 + n book n
    QTest::addColumn<int>("verses");
    QTest::addColumn<int>("books");
    struct Row
    {
        const char *name;
        QStringList keywords;
        bool all, matchCase, wholeWords;
        int scope, verses, books;
    };
    const auto l = [](const char *text) { return QString::fromUtf8(text); };
    const Row rows[] = {
        {"Holy Ghost", {l("Holy Ghost")}, true, false, false, 0, 89, 16},
        {"Jesus Christ", {l("Jesus Christ")}, true, false, false, 0, 189, 25},
        {"Lord God", {l("Lord God")}, true, false, false, 0, 531, 31},
        {"Lord Jesus", {l("Lord Jesus")}, true, false, false, 0, 115, 22},
        {"kingdom of God", {l("kingdom of God")}, true, false, false, 0, 69, 10},
        {"lord", {l("lord")}, true, false, false, 0, 6781, 61},
        {"faith", {l("faith")}, true, false, false, 0, 338, 41},
        {"the", {l("the")}, true, false, false, 0, 27997, 66},
        {"LORD, match case", {l("LORD")}, true, true, false, 0, 5554, 41},
        {"Lord, match case", {l("Lord")}, true, true, false, 0, 1079, 49},
        {"faith, whole words", {l("faith")}, true, false, true, 0, 231, 26},
        {"love, whole words", {l("love")}, true, false, true, 0, 281, 49},
        {"LORD, both boxes", {l("LORD")}, true, true, true, 0, 5554, 41},
        {"faith in Romans", {l("faith")}, true, false, false, 2 + 45, 34, 1},
        {"faith in the Old Testament", {l("faith")}, true, false, false, 1, 58, 15},
        {"faith in the New Testament", {l("faith")}, true, false, false, 2, 280, 26},
        {"faith, whole words, Romans", {l("faith")}, true, false, true, 2 + 45, 34, 1},
        {"Two any three", {l("Two"), QString(), l("three")}, false, false, false, 0, 1159, 45},
        {"Two all three", {l("Two"), QString(), l("three")}, true, false, false, 0, 65, 28},
        {"two any three, whole words", {l("two"), l("three")}, false, false, true, 0, 1083, 44},
        {"five any, whole words",
         {l("shepherd"), l("lamb"), l("sheep"), l("flock"), l("fold")},
         false,
         false,
         true,
         0,
         381,
         40},
        {"love one another", {l("love one another")}, true, false, false, 0, 12, 6},
        {"percent inside", {l("lo%d")}, true, false, false, 0, 10244, 66},
        {"percent inside, whole words", {l("lo%d")}, true, false, true, 0, 7843, 65},
        {"underscore, whole words", {l("gr_ce")}, true, false, true, 0, 159, 36},
        {"apostrophe", {l("Lord's")}, true, false, false, 0, 131, 36},
        {"outside ASCII as typed", {l("cæsar")}, true, false, false, 0, 38, 5},
        {"outside ASCII, match case", {l("cæsar")}, true, true, false, 0, 0, 0},
        {"capital outside ASCII", {l("Æ")}, true, false, false, 0, 3, 2},
        {"faith any hope in Psalms", {l("faith"), l("hope")}, false, false, false, 2 + 19, 47, 1},
        {"grace all peace, whole words, New Testament",
         {l("grace"), l("peace")},
         true,
         false,
         true,
         2,
         18,
         17},
        {"lone percent", {l("%")}, true, false, false, 0, 31102, 66},
        {"Christ in the Old Testament", {l("Christ")}, true, false, false, 1, 0, 0},
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << row.keywords << row.all << row.matchCase << row.wholeWords
                                << row.scope << row.verses << row.books;
}

void TestSearch::searchCounts()
{
    REQUIRE_TABLES();
    QFETCH(QStringList, keywords);
    QFETCH(bool, all);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWords);
    QFETCH(int, scope);
    QFETCH(int, verses);
    QFETCH(int, books);
    TFormSearch form;
    form.CheckBoxMatchCase->setChecked(matchCase);
    form.CheckBoxWholeWords->setChecked(wholeWords);
    form.ComboBoxScope->setCurrentIndex(scope);
    search(form, keywords, all);
    QCOMPARE(form.statusText(), QStringLiteral("%1 Verse(s) Found").arg(verses));
    QCOMPARE(form.StringGridResults->rowCount(), verses ? verses + 1 : 2);
    QCOMPARE(form.booksText(), verses ? QStringLiteral("in %1 Book(s)").arg(books) : QString());
    // Rows in the order of the books, chapters and verses.
    Ref previous{0, 0, 0};
    for (int row = 1; row <= verses; ++row) {
        const Ref ref{form.ResultBooks.at(row), form.StringGridResults->cell(1, row).toInt(),
                      form.StringGridResults->cell(2, row).toInt()};
        QVERIFY(previous < ref);
        previous = ref;
    }
}

// Nothing typed or pasted holds the window: every search ends within half a
// second and shows a count, never an engine's message.
void TestSearch::badInputEndsQuickly_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<bool>("wholeWords");
    QTest::newRow("100,000 letters") << QString(100000, QLatin1Char('a')) << false;
    QTest::newRow("control characters") << QStringLiteral("\x01\x02\t\r\n\x1f") << false;
    QTest::newRow("quotes") << QStringLiteral("'\"'\"''") << false;
    QTest::newRow("statement") << QStringLiteral("'); drop table db; --") << false;
    QTest::newRow("percent run") << QString(100000, QLatin1Char('%')) << true;
    QTest::newRow("underscore run") << QString(100000, QLatin1Char('_')) << false;
    QString alternating;
    for (int i = 0; i < 500; ++i)
        alternating += QStringLiteral("%e");
    QTest::newRow("percent and letter, whole words") << alternating << true;
    QTest::newRow("percent and underscore")
        << QString(alternating).replace(QLatin1Char('e'), QLatin1Char('_')) << true;
}

void TestSearch::badInputEndsQuickly()
{
    REQUIRE_TABLES();
    QFETCH(QString, keyword);
    QFETCH(bool, wholeWords);
    TFormSearch form;
    search(form, {QStringLiteral("warm")}); // the texts read once
    form.CheckBoxWholeWords->setChecked(wholeWords);
    QElapsedTimer clock;
    clock.start();
    search(form, {keyword, keyword});
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(form.statusText().endsWith(QLatin1String(" Verse(s) Found")),
             qPrintable(form.statusText()));
}

// A keyword longer than any verse is cut as it is pasted, and the window
// says so.
void TestSearch::longKeywordIsCutAndSaidSo()
{
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QApplication::clipboard()->setText(QString(100000, QChar(0x00E6)));
    form.Edit1->paste();
    QCOMPARE(form.Edit1->text().size(), 1000);
    QCOMPARE(form.statusText(), QStringLiteral("A keyword holds at most 1000 characters."));
}

// The texts are held between searches; a table changed on disk since is
// read again, so a search never answers from an older text.
void TestSearch::changedTableIsReadAgain()
{
    REQUIRE_TABLES();
    TFormSearch form;
    search(form, {QStringLiteral("zyzzyva")});
    QCOMPARE(form.statusText(), QStringLiteral("0 Verse(s) Found"));
    const auto edit = [this](const QString &statement) {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
        db.setDatabaseName(m_sandbox->filePath(QStringLiteral("kjvbible.db")));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        query.finish();
        db.close();
    };
    edit(QStringLiteral("update db set \"Scripture Text\" = \"Scripture Text\" || ' Zyzzyva' "
                        "where Book = 66 and Chapter = 22 and Verse = 21"));
    QSqlDatabase::removeDatabase(QStringLiteral("edit"));
    search(form, {QStringLiteral("zyzzyva")});
    QCOMPARE(shown(form), (std::set<Ref>{{66, 22, 21}}));
    edit(QStringLiteral("update db set \"Scripture Text\" = substr(\"Scripture Text\", 1, "
                        "length(\"Scripture Text\") - 8) where Book = 66 and Chapter = 22 and "
                        "Verse = 21"));
    QSqlDatabase::removeDatabase(QStringLiteral("edit"));
    search(form, {QStringLiteral("zyzzyva")});
    QCOMPARE(form.statusText(), QStringLiteral("0 Verse(s) Found"));
}

// Short random keywords of letters, spaces, "%" and "_" over every 29th
// verse: the byte matcher and the regular expressions agree on every one.
void TestSearch::matcherAgreesWithExpressions_data()
{
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWords");
    QTest::newRow("any case") << false << false;
    QTest::newRow("match case") << true << false;
    QTest::newRow("whole words") << false << true;
    QTest::newRow("both") << true << true;
}

void TestSearch::matcherAgreesWithExpressions()
{
    REQUIRE_TABLES();
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWords);
    const QString alphabet = QStringLiteral("aethLOæÆ '%_");
    QRandomGenerator random(21);
    for (int k = 0; k < 120; ++k) {
        QString keyword;
        const int length = 1 + int(random.bounded(5));
        for (int i = 0; i < length; ++i)
            keyword += alphabet.at(int(random.bounded(alphabet.size())));
        const KeywordMatcher matcher(keyword, matchCase, wholeWords);
        const Rule rule = keywordRule(keyword, matchCase, wholeWords);
        for (int v = 0; v < m_verses.size(); v += 29) {
            QByteArray text = m_verses.at(v).text.toUtf8();
            if (!matchCase)
                text = SearchStatement::asciiLower(m_verses.at(v).text).toUtf8();
            QVERIFY2(matcher.matches(text) == verseHolds(m_verses.at(v).text, rule),
                     qPrintable(QStringLiteral("%1 in %2").arg(keyword, m_verses.at(v).text)));
        }
    }
}

void TestSearch::apostropheKeyword()
{
    REQUIRE_TABLES();
    for (const char *keyword : {"Lord's", "pharaoh's", "'", "LORD'S"}) {
        TFormSearch form;
        search(form, {QString::fromLatin1(keyword)});
        const std::set<Ref> want = expected({QString::fromLatin1(keyword)}, true);
        QVERIFY2(!want.empty(), keyword);
        QCOMPARE(shown(form), want);
    }
    // With the case to match, "LORD's" is not "Lord's".
    TFormSearch form;
    form.CheckBoxMatchCase->setChecked(true);
    search(form, {QStringLiteral("LORD's")});
    QVERIFY(form.StringGridResults->rowCount() > 2);
    for (int row = 1; row < form.StringGridResults->rowCount(); ++row)
        QVERIFY(form.StringGridResults->cell(3, row).contains(QLatin1String("LORD's")));
}

void TestSearch::oddKeywords_data()
{
    QTest::addColumn<QString>("keyword");
    QTest::newRow("one letter") << QStringLiteral("a");
    QTest::newRow("two spaces") << QStringLiteral("  ");
    QTest::newRow("outside ASCII") << QStringLiteral("Ésaü");
    QTest::newRow("percent") << QStringLiteral("%");
    QTest::newRow("percent inside") << QStringLiteral("Lo%d");
    QTest::newRow("underscore") << QStringLiteral("_");
    QTest::newRow("500 characters") << QString(500, QLatin1Char('x'));
    QTest::newRow("double quote") << QStringLiteral("\"");
    QTest::newRow("backslash") << QStringLiteral("\\");
}

void TestSearch::oddKeywords()
{
    REQUIRE_TABLES();
    QFETCH(QString, keyword);
    TFormSearch form;
    search(form, {keyword});
    const std::set<Ref> want = expected({keyword}, true);
    QCOMPARE(shown(form), want);
    QCOMPARE(form.statusText(), QStringLiteral("%1 Verse(s) Found").arg(want.size()));
    QCOMPARE(form.StringGridResults->rowCount(), want.empty() ? 2 : int(want.size()) + 1);
    QVERIFY(!QApplication::overrideCursor());
}

void TestSearch::noResult()
{
    REQUIRE_TABLES();
    TFormSearch form;
    search(form, {QStringLiteral("faith")});
    QVERIFY(form.StringGridResults->rowCount() > 2);
    selectRow(form, 2);
    search(form, {QStringLiteral("zzyzx")});
    QCOMPARE(form.statusText(), QStringLiteral("0 Verse(s) Found"));
    QCOMPARE(form.StringGridResults->rowCount(), 2);
    for (int column = 0; column < 4; ++column)
        QVERIFY(form.StringGridResults->cell(column, 1).isEmpty());
    Requests requests(form);
    selectRow(form, 1);
    form.StringGridResultsDblClick();
    QVERIFY(requests.places.isEmpty());
}

void TestSearch::engineErrorLeavesWindowUsable()
{
    REQUIRE_TABLES();
    TFormSearch form;
    search(form, {QStringLiteral("faith")});
    const QString bible = m_sandbox->filePath(QStringLiteral("kjvbible.db"));
    const QString aside = m_sandbox->filePath(QStringLiteral("aside.db"));
    Engine::reset();
    QVERIFY(QFile::rename(bible, aside));
    MessageAnswers answers;
    form.BtnSearchClick();
    QVERIFY(QFile::rename(aside, bible));
    QCOMPARE(answers.texts.size(), 1);
    QVERIFY2(answers.all().contains(QLatin1String("kjvbible"), Qt::CaseInsensitive),
             qPrintable(answers.all()));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(form.statusText(), QStringLiteral("0 Verse(s) Found"));
    QCOMPARE(form.StringGridResults->rowCount(), 2);
    QVERIFY(form.StringGridResults->cell(0, 1).isEmpty());
    QVERIFY(form.StringGridResults->updatesEnabled());

    form.BtnSearchClick();
    QCOMPARE(shown(form), expected({QStringLiteral("faith")}, true));
}

void TestSearch::enterStartsSearch()
{
    REQUIRE_TABLES();
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Edit3->setText(QStringLiteral("Meshach"));
    QTest::keyClick(form.Edit3, Qt::Key_Return);
    QCOMPARE(form.StringGridResults->rowCount() - 1,
             int(expected({QStringLiteral("Meshach")}, true).size()));
    form.Edit3->setText(QStringLiteral("Methuselah"));
    QTest::keyClick(form.ComboBoxconjunction, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(shown(form), expected({QStringLiteral("Methuselah")}, true));
}

void TestSearch::doubleClickRequestsReader()
{
    REQUIRE_TABLES();
    TFormSearch form;
    form.resize(457, 700);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    search(form, {QStringLiteral("is my shepherd"), QStringLiteral("want")});
    QCOMPARE(form.StringGridResults->rowCount(), 2);
    QCOMPARE(form.StringGridResults->cell(0, 1), m_bookNames.value(19));

    Requests requests(form);
    QTableView *grid = form.StringGridResults;
    const QPoint cell = grid->visualRect(grid->model()->index(0, 3)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QCOMPARE(form.SelectedRow, 1);
    QCOMPARE(requests.places.size(), 1);
    QCOMPARE(requests.last().Book, 19);
    QCOMPARE(requests.last().Chapter, 23);
    QCOMPARE(requests.last().Verse, 1);

    // Several double-clicks in a row: each asks for its own reader.
    requests.places.clear();
    search(form, {QStringLiteral("Meshach")});
    QVERIFY(form.StringGridResults->rowCount() > 3);
    for (int row : {3, 1, 2}) {
        const QPoint at = grid->visualRect(grid->model()->index(row - 1, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(form.SelectedRow, 2);
    QCOMPARE(requests.places.size(), 3);
    QCOMPARE(requests.places.at(0).Chapter, form.StringGridResults->cell(1, 3).toInt());
    QCOMPARE(requests.last().Book, 27);
    QCOMPARE(requests.last().Chapter, form.StringGridResults->cell(1, 2).toInt());
    QCOMPARE(requests.last().Verse, form.StringGridResults->cell(2, 2).toInt());

    // Below the last row or on the heading: the row selected last.
    requests.places.clear();
    const QPoint below(5, grid->viewport()->height() - 2);
    QVERIFY(!grid->indexAt(below).isValid());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(requests.last().Chapter, form.StringGridResults->cell(1, 2).toInt());
    QVERIFY(!requests.places.isEmpty());
    requests.places.clear();
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
    QTest::mouseDClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
    QCOMPARE(form.SelectedRow, 2);
    QCOMPARE(requests.last().Verse, form.StringGridResults->cell(2, 2).toInt());

    // Keyboard moves select too.
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(form.SelectedRow, 3);
}

void TestSearch::keyOnResultOpensIt_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
}

void TestSearch::keyOnResultOpensIt()
{
    REQUIRE_TABLES();
    QFETCH(int, key);
    QFETCH(int, modifiers);
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    search(form, {QStringLiteral("Meshach")});
    const int rows = form.StringGridResults->rowCount();
    QTableView *grid = form.StringGridResults;
    grid->setFocus();
    selectRow(form, 2);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(form.SelectedRow, 3);

    Requests requests(form);
    QTest::keyClick(grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(requests.places.size(), 1);
    QCOMPARE(requests.last().Book, 27);
    QCOMPARE(requests.last().Chapter, form.StringGridResults->cell(1, 3).toInt());
    QCOMPARE(requests.last().Verse, form.StringGridResults->cell(2, 3).toInt());
    // The results stay: the key did not start the search again.
    QCOMPARE(form.StringGridResults->rowCount(), rows);
    QCOMPARE(form.SelectedRow, 3);
}

void TestSearch::doubleClickWithoutSelectionDoesNothing()
{
    REQUIRE_TABLES();
    TFormSearch form;
    search(form, {QStringLiteral("faith")});
    Requests requests(form);
    form.StringGridResultsDblClick();
    QVERIFY(requests.places.isEmpty());

    // A row selected in a bigger result, then a smaller one: nothing there.
    selectRow(form, 200);
    QCOMPARE(form.SelectedRow, 200);
    search(form, {QStringLiteral("Meshach")});
    form.StringGridResultsDblClick();
    QVERIFY(requests.places.isEmpty());
}

// Counts the paints a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

void TestSearch::resultsArePaintedOnce()
{
    REQUIRE_TABLES();
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    PaintCounter counter;
    form.StringGridResults->viewport()->installEventFilter(&counter);
    for (const char *keyword : {"faith", "Meshach", "zzyzx", "faith"}) {
        form.Edit1->setText(QString::fromLatin1(keyword));
        counter.paints = 0;
        QTest::mouseClick(form.BtnSearch, Qt::LeftButton);
        // The click itself only shows "Searching...": the rows are painted
        // when the event loop gets back, once.
        QCOMPARE(counter.paints, 0);
        QTest::qWait(50);
        QCOMPARE(counter.paints, 1);
    }
}

void TestSearch::twoWindowsKeepTheirResults()
{
    REQUIRE_TABLES();
    TFormSearch first;
    TFormSearch second;
    search(first, {QStringLiteral("Meshach")});
    search(second, {QStringLiteral("Methuselah")});
    QCOMPARE(shown(first), expected({QStringLiteral("Meshach")}, true));
    QCOMPARE(shown(second), expected({QStringLiteral("Methuselah")}, true));

    selectRow(first, 1);
    selectRow(second, 2);
    Requests fromFirst(first);
    Requests fromSecond(second);
    first.StringGridResultsDblClick();
    QCOMPARE(fromFirst.last().Book, 27);
    second.StringGridResultsDblClick();
    QCOMPARE(fromSecond.last().Book, second.ResultBooks.at(2));
    QCOMPARE(fromSecond.last().Chapter, second.StringGridResults->cell(1, 2).toInt());
    first.StringGridResultsDblClick();
    QCOMPARE(fromFirst.last().Book, 27);
    QCOMPARE(fromFirst.last().Verse, first.StringGridResults->cell(2, 1).toInt());
}

void TestSearch::textColumnTakesTheRest()
{
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTableView *grid = form.StringGridResults;
    QCOMPARE(grid->columnWidth(3), form.Panel2->width() - (90 + 25 + 25 + 25));

    form.resize(600, 400);
    QTRY_COMPARE(grid->columnWidth(3), form.Panel2->width() - 165);
    const int before = grid->columnWidth(3);

    grid->horizontalHeader()->resizeSection(0, 110);
    form.resize(601, 400);
    QTRY_COMPARE(grid->columnWidth(3), form.Panel2->width() - 185);
    form.resize(600, 400);
    QTRY_COMPARE(grid->columnWidth(3), before - 20);

    form.resize(120, 300);
    QTRY_VERIFY(form.Panel2->width() < 185);
    QVERIFY(grid->columnWidth(3) > 0);
}

// A verse wider than its column runs on to the column's edge and is cut
// there: what shows is the verse's own beginning, with no ellipsis drawn in.
void TestSearch::longVerseIsClippedNotElided()
{
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    search(form, {QStringLiteral("three and twentieth day thereof")});
    ResultsGrid *grid = form.StringGridResults;
    QCOMPARE(grid->rowCount(), 2);
    const int width = grid->columnWidth(3);
    QVERIFY(grid->fontMetrics().horizontalAdvance(grid->cell(3, 1)) > 2 * width);
    const QModelIndex text = grid->model()->index(0, 3);
    const QImage clipped = grid->viewport()->grab(grid->visualRect(text)).toImage();
    grid->setColumnWidth(3, 4 * width);
    const QImage wider = grid->viewport()->grab(grid->visualRect(text)).toImage();
    const QRect shown(0, 0, width - 4, clipped.height());
    QCOMPARE(clipped.copy(shown), wider.copy(shown));
}

// The grid draws only as much of a long text as can show; the cell must look
// exactly as it would with the whole text drawn and clipped.
void TestSearch::cellDrawsAsItsWholeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width"); // negative: the cell selected
    const QString verse =
        QStringLiteral("And God formed man of the dust of the ground. ").repeated(5);
    const QString texts[] = {
        verse, QStringLiteral("AVAWAYATLTLYP.Te To Ty Va Wa Yo r. ").repeated(12),
        QStringLiteral("il.,;:!|'").repeated(60), QStringLiteral("WMW@").repeated(80),
        verse + QString::fromUtf8("\u05d1\u05b0 \U0001F600 e\u0301\t") + verse};
    for (int i = 0; i < 5; ++i) {
        for (const int width : {3, 40, 300, 2000, -300})
            QTest::addRow("%d: %.9s, %d px", i, qPrintable(texts[i]), width) << texts[i] << width;
    }
}

void TestSearch::cellDrawsAsItsWholeText()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    TFormSearch form; // the grid as the window sets it up
    ResultsGrid &grid = *form.StringGridResults;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    {
        ResultsGridModel::Fill fill(*grid.gridModel());
        fill.append({QString(), QString(), QString(), text});
        fill.commit();
    }
    grid.setColumnWidth(3, std::abs(width));
    const QModelIndex cell = grid.model()->index(0, 3);
    if (width < 0)
        grid.setCurrentIndex(cell);
    const QImage cut = grid.viewport()->grab(grid.visualRect(cell)).toImage();
    grid.setItemDelegate(new QStyledItemDelegate(&grid));
    QCOMPARE(cut, grid.viewport()->grab(grid.visualRect(cell)).toImage());
}

void TestSearch::cellDrawsAsTheStyleInEveryState_data()
{
    QTest::addColumn<bool>("list");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    const QString texts[] = {
        QStringLiteral("Genesis"), QStringLiteral("12"),
        QStringLiteral("And God formed man of the dust of the ground. ").repeated(4)};
    const int focused = int(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
    const std::pair<const char *, int> states[] = {
        {"normal", 0},
        {"selected", int(QStyle::State_Selected)},
        {"current", focused},
        {"selected current", int(QStyle::State_Selected) | focused},
        {"inactive selected", int(QStyle::State_Selected) | 0x40000000},
        {"disabled", 0x40000000 | 0x20000000}};
    // The grid cuts a long verse at its edge; the dictionary's list shortens
    // a long word with an ellipsis and highlights only behind the text.
    for (const bool list : {false, true}) {
        for (const QString &text : texts) {
            for (const auto &[name, state] : states)
                QTest::addRow("%s, %.9s, %s", list ? "list" : "grid", qPrintable(text), name)
                    << list << text << state;
        }
    }
}

// The delegate draws a cell itself; in every state it must draw what the
// style draws.
void TestSearch::cellDrawsAsTheStyleInEveryState()
{
    QFETCH(bool, list);
    QFETCH(QString, text);
    QFETCH(int, state);
    TFormSearch form;
    ResultsGrid &grid = *form.StringGridResults;
    {
        ResultsGridModel::Fill fill(*grid.gridModel());
        fill.append({text, text, text, text});
        fill.commit();
    }
    TFormebd dictionary;
    QListView &words = *dictionary.RxDBLookupList1;
    QStringListModel wordModel({text});
    words.setModel(&wordModel);
    QAbstractItemView &view = list ? static_cast<QAbstractItemView &>(words) : grid;
    const QModelIndex index = list ? wordModel.index(0) : grid.model()->index(0, 3);

    QStyleOptionViewItem option;
    option.initFrom(view.viewport());
    option.widget = &view;
    option.rect = QRect(0, 0, 300, view.sizeHintForRow(0));
    option.font = view.font();
    option.fontMetrics = QFontMetrics(option.font);
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.textElideMode = view.textElideMode();
    // A table view always highlights the whole cell; a list view does as the
    // style says, and here as the styles that highlight only the text.
    option.showDecorationSelected = !list;
    option.state = QStyle::State_Enabled | QStyle::State_Active;
    option.state |= QStyle::State(state & ~0x60000000);
    if (state & 0x40000000)
        option.state &= ~QStyle::State_Active;
    if (state & 0x20000000)
        option.state &= ~QStyle::State_Enabled;
    const auto draw = [&](QAbstractItemDelegate *delegate) {
        QImage image(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        delegate->paint(&painter, option, index);
        return image;
    };
    QStyledItemDelegate plain;
    QCOMPARE(draw(view.itemDelegate()), draw(&plain));
}

void TestSearch::readerOpensAtDoubleClickedVerse()
{
    REQUIRE_TABLES();
    TFormMain main;
    main.show();
    // The first-run notice would wait for a click.
    main.EditFirstTime->setText(QStringLiteral("False"));
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(!main.TimerStartup->isActive());
    main.Find1->trigger();
    auto *form = qobject_cast<TFormSearch *>(main.activeChild());
    QVERIFY(form);
    QCOMPARE(main.mdiArea()->currentSubWindow()->size(), QSize(457, 348));
    const int readersBefore = main.findChildren<TFormBook *>().size();

    search(*form, {QStringLiteral("is my shepherd"), QStringLiteral("want")});
    QCOMPARE(form->StringGridResults->rowCount(), 2);
    selectRow(*form, 1, 2);
    form->StringGridResultsDblClick();
    // The reader opens at once, not at some later tick.
    QCOMPARE(main.findChildren<TFormBook *>().size(), readersBefore + 1);
    TFormBook *reader = main.activeReader();
    QVERIFY(reader);
    QCOMPARE(reader->ComboBoxBook->currentIndex() + 1, 19);
    QCOMPARE(reader->ComboBoxChapter->currentText(), QStringLiteral("23"));
    QCOMPARE(reader->ComboBoxVerse->currentText(), QStringLiteral("1"));
    QCOMPARE(form->StringGridResults->rowCount(), 2);

    // Two double-clicks with no event between them: two readers, each at
    // its own verse, the second in front.
    main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(form->parentWidget()));
    search(*form, {QStringLiteral("Meshach")});
    selectRow(*form, 3);
    form->StringGridResultsDblClick();
    selectRow(*form, 5);
    form->StringGridResultsDblClick();
    const QList<TFormBook *> readers = main.findChildren<TFormBook *>();
    QCOMPARE(readers.size(), readersBefore + 3);
    QTest::qWait(450);
    QCOMPARE(main.findChildren<TFormBook *>().size(), readersBefore + 3);
    for (int row : {3, 5}) {
        const auto at = std::find_if(readers.cbegin(), readers.cend(), [&](TFormBook *opened) {
            return opened->ComboBoxBook->currentIndex() + 1 == 27 &&
                   opened->ComboBoxChapter->currentText() ==
                       form->StringGridResults->cell(1, row) &&
                   opened->ComboBoxVerse->currentText() == form->StringGridResults->cell(2, row);
        });
        QVERIFY2(at != readers.cend(), qPrintable(QString::number(row)));
    }
    reader = main.activeReader();
    QVERIFY(reader);
    QCOMPARE(reader->ComboBoxBook->currentIndex() + 1, 27);
    QCOMPARE(reader->ComboBoxChapter->currentText(), form->StringGridResults->cell(1, 5));
    QCOMPARE(reader->ComboBoxVerse->currentText(), form->StringGridResults->cell(2, 5));
}

// The reader opened from a result marks its verse and highlights the words
// found, case as the search took it; both go with the chapter.
void TestSearch::openedResultIsMarkedInTheReader()
{
    REQUIRE_TABLES();
    TFormMain main;
    main.show();
    main.EditFirstTime->setText(QStringLiteral("False"));
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(!main.TimerStartup->isActive());
    main.Find1->trigger();
    auto *form = qobject_cast<TFormSearch *>(main.activeChild());
    QVERIFY(form);
    // The new Alt letters are taken by nothing else in the main window: a
    // second owner would leave both silent.
    form->Edit1->setFocus();
    QTRY_VERIFY(form->Edit1->hasFocus());
    QTest::keyClick(form->Edit1, Qt::Key_O, Qt::AltModifier);
    QTest::keyClick(form->Edit1, Qt::Key_C, Qt::AltModifier);
    QTest::keyClick(form->Edit1, Qt::Key_I, Qt::AltModifier);
    QVERIFY(form->CheckBoxWholeWords->isChecked() && form->CheckBoxMatchCase->isChecked());
    QVERIFY(form->ComboBoxScope->hasFocus());
    form->CheckBoxWholeWords->setChecked(false);
    form->CheckBoxMatchCase->setChecked(false);
    search(*form, {QStringLiteral("holy ghost"), QStringLiteral("baptize")});
    QVERIFY(form->StringGridResults->rowCount() > 2);
    selectRow(*form, 1);
    const int chapter = form->StringGridResults->cell(1, 1).toInt();
    const int verse = form->StringGridResults->cell(2, 1).toInt();
    form->StringGridResultsDblClick();
    QTRY_VERIFY_WITH_TIMEOUT(main.activeReader() != nullptr, 1000);
    TFormBook *reader = main.activeReader();
    QCOMPARE(reader->ComboBoxChapter->currentText().toInt(), chapter);
    QCOMPARE(reader->markedVerses(), qMakePair(verse, verse));
    // Every place of the chapter that holds a keyword, in any case.
    const QRegularExpression keywords(QStringLiteral("holy ghost|baptize"),
                                      QRegularExpression::CaseInsensitiveOption);
    int want = 0;
    for (const Verse &v : m_verses) {
        if (v.book == form->ResultBooks.at(1) && v.chapter == chapter)
            for (auto it = keywords.globalMatch(v.text); it.hasNext(); it.next())
                ++want;
    }
    const QString chapterText = reader->RxRichEdit1->toPlainText();
    const QVector<QPair<int, int>> words = reader->highlightedWords();
    QCOMPARE(words.size(), want);
    for (const auto &range : words) {
        const QString word = chapterText.mid(range.first, range.second - range.first);
        QVERIFY2(keywords.match(word).capturedLength() == word.size(), qPrintable(word));
    }
    QCOMPARE(reader->RxRichEdit1->extraSelections().size(), want + 1);

    reader->RxSpeedButtonNextClick();
    QCOMPARE(reader->markedVerses().first, 0);
    QVERIFY(reader->highlightedWords().isEmpty());
    QVERIFY(reader->RxRichEdit1->extraSelections().isEmpty());
}

// The new controls have Alt letters of their own, names a listener hears,
// and keyword boxes that widen with the window.
void TestSearch::optionsAreReachableAndNamed()
{
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWidget *controls[] = {form.ComboBoxScope, form.CheckBoxMatchCase, form.CheckBoxWholeWords,
                           form.MemoVerse};
    const char *const names[] = {"Search in", "Match case", "Whole words", "Selected verse"};
    for (std::size_t i = 0; i < std::size(controls); ++i)
        QCOMPARE(controls[i]->accessibleName(), QString::fromLatin1(names[i]));
    QCOMPARE(form.ComboBoxScope->count(), 3 + 66);
    QCOMPARE(form.ComboBoxScope->currentText(), QStringLiteral("Whole Bible"));
    QCOMPARE(form.ComboBoxScope->itemText(3 + 44), QStringLiteral("Romans"));
    QVERIFY(!form.CheckBoxMatchCase->isChecked());
    QVERIFY(!form.CheckBoxWholeWords->isChecked());

    form.activateWindow();
    form.Edit1->setFocus();
    QTRY_VERIFY(form.Edit1->hasFocus());
    QTest::keyClick(form.Edit1, Qt::Key_C, Qt::AltModifier);
    QVERIFY(form.CheckBoxMatchCase->isChecked());
    QTest::keyClick(form.Edit1, Qt::Key_O, Qt::AltModifier);
    QVERIFY(form.CheckBoxWholeWords->isChecked());
    QTest::keyClick(form.Edit1, Qt::Key_I, Qt::AltModifier);
    QVERIFY(form.ComboBoxScope->hasFocus());

    // Design places at the design's width; wider, each box takes a share.
    QCOMPARE(form.Edit5->geometry(), QRect(350, 10, 70, 21));
    form.resize(457 + 250, 348);
    QTRY_COMPARE(form.Edit1->width(), 70 + 50);
    QCOMPARE(form.Edit5->geometry().right(), 350 + 200 + 120 - 1);
    form.Edit1->setText(QStringLiteral("love one another"));
    QVERIFY(form.Edit1->fontMetrics().horizontalAdvance(form.Edit1->text()) <
            form.Edit1->width() - 8);
}

void TestSearch::keywordsShowBoldAndVerseWhole()
{
    REQUIRE_TABLES();
    TFormSearch form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    search(form, {QStringLiteral("Meshach")});
    const ResultsGridModel *model = form.StringGridResults->gridModel();
    const QString text = form.StringGridResults->cell(3, 1);
    const auto spans = model->keywordSpans(0);
    QVERIFY(!spans.isEmpty());
    for (const auto &span : spans)
        QCOMPARE(text.mid(span.first, span.second - span.first), QStringLiteral("Meshach"));
    // A screen reader moving through the results hears the whole row.
    const QModelIndex cell = model->index(0, 0);
    QCOMPARE(
        cell.data(Qt::AccessibleTextRole).toString(),
        QStringLiteral("Daniel %1:%2 %3")
            .arg(form.StringGridResults->cell(1, 1), form.StringGridResults->cell(2, 1), text));
    QVERIFY(form.MemoVerse->toPlainText().isEmpty());
    selectRow(form, 1, 3);
    QVERIFY(form.MemoVerse->toPlainText().endsWith(text));
    QTextCursor at(form.MemoVerse->document());
    at.setPosition(form.MemoVerse->toPlainText().indexOf(QStringLiteral("Meshach")) + 1);
    QCOMPARE(at.charFormat().fontWeight(), int(QFont::Bold));
}

void TestSearch::altLetterStartsTheFocusedSearch()
{
    REQUIRE_TABLES();
    TFormMain main;
    main.show();
    main.EditFirstTime->setText(QStringLiteral("False"));
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(!main.TimerStartup->isActive());
    main.activateWindow();
    main.Find1->trigger();
    auto *first = qobject_cast<TFormSearch *>(main.activeChild());
    main.Find1->trigger();
    auto *second = qobject_cast<TFormSearch *>(main.activeChild());
    QVERIFY(first && second && first != second);
    first->Edit1->setText(QStringLiteral("Meshach"));
    second->Edit1->setText(QStringLiteral("Methuselah"));
    second->Edit1->setFocus();

    // With two search windows open, Alt+S belongs to the one with the focus.
    QTest::keyClick(second->Edit1, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(shown(*second), expected({QStringLiteral("Methuselah")}, true));
    QCOMPARE(first->StringGridResults->rowCount(), 2);
    QVERIFY(first->StringGridResults->cell(0, 1).isEmpty());
}

QTEST_MAIN(TestSearch)
// The result's context menu shows the verse in the reader in use, as one
// step of its history, rather than opening another reader.
void TestSearch::resultMenuOpensInTheActiveReader()
{
    REQUIRE_TABLES();
    TFormMain main;
    main.show();
    main.EditFirstTime->setText(QStringLiteral("False"));
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(!main.TimerStartup->isActive());
    QCOMPARE(main.findChildren<TFormBook *>().size(), 1);
    TFormBook *reader = main.findChild<TFormBook *>();
    main.Find1->trigger();
    auto *form = qobject_cast<TFormSearch *>(main.activeChild());
    QVERIFY(form);
    search(*form, {QStringLiteral("is my shepherd"), QStringLiteral("want")});
    QCOMPARE(form->StringGridResults->rowCount(), 2);

    ResultsGrid *grid = form->StringGridResults;
    const QRect cell = grid->visualRect(grid->model()->index(0, 3));
    emit grid->customContextMenuRequested(cell.center());
    auto *menu = form->findChild<QMenu *>(QStringLiteral("ResultPopupMenu"));
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QStringList captions;
    for (QAction *action : menu->actions())
        captions.append(action->text());
    QCOMPARE(captions, (QStringList{"Open in new reader", "Open in active reader"}));
    menu->actions().at(1)->trigger();
    menu->hide();

    QCOMPARE(main.findChildren<TFormBook *>().size(), 1);
    QCOMPARE(main.activeReader(), reader);
    QCOMPARE(reader->windowTitle(), QStringLiteral("Psalms 23:1"));
    QVERIFY(reader->history().canGoBack());
}

#include "tst_search.moc"
