// The reference documents shipped in the program folder: well-formed HTML
// that works without the network, links that lead somewhere, and quotations
// that say exactly what the shipped Bible text and translators' notes say.
#include "support/sandbox.h"

#include "scripture/dataset.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kRequiredDocuments = {
    QStringLiteral("help/index.htm"),
    QStringLiteral("salvation/index.htm"),
    QStringLiteral("kjvnotes.htm"),
    QStringLiteral("jfb/getjfb.htm"),
};

// Elements that never take a closing tag.
const QSet<QString> kVoidElements = {
    QStringLiteral("area"), QStringLiteral("base"),   QStringLiteral("br"),
    QStringLiteral("col"),  QStringLiteral("embed"),  QStringLiteral("hr"),
    QStringLiteral("img"),  QStringLiteral("input"),  QStringLiteral("link"),
    QStringLiteral("meta"), QStringLiteral("source"), QStringLiteral("track"),
    QStringLiteral("wbr"),
};

QString sourceDocs()
{
    return Sandbox::sourceDir() + QStringLiteral("/data/docs");
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString withoutComments(const QString &html)
{
    static const QRegularExpression comment(QStringLiteral("<!--.*?-->"),
                                            QRegularExpression::DotMatchesEverythingOption);
    return QString(html).remove(comment);
}

QString decodeEntities(QString text)
{
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9A-Fa-f]+);"));
    QRegularExpressionMatch match;
    while ((match = numeric.match(text)).hasMatch()) {
        const bool hex = !match.captured(1).isEmpty();
        const char32_t code = match.captured(2).toUInt(nullptr, hex ? 16 : 10);
        text.replace(match.capturedStart(), match.capturedLength(), QString::fromUcs4(&code, 1));
    }
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

// The first tag that breaks the nesting, or an empty text when every element
// is closed in order.
QString nestingFault(const QString &html)
{
    static const QRegularExpression tag(QStringLiteral("<(/?)([A-Za-z][A-Za-z0-9]*)\\b[^>]*>"));
    QStringList open;
    auto it = tag.globalMatch(withoutComments(html));
    while (it.hasNext()) {
        const auto match = it.next();
        const QString name = match.captured(2).toLower();
        if (kVoidElements.contains(name))
            continue;
        if (match.captured(1).isEmpty()) {
            open.append(name);
        } else if (open.isEmpty() || open.last() != name) {
            return QStringLiteral("</%1> while <%2> is open")
                .arg(name, open.isEmpty() ? QStringLiteral("nothing") : open.last());
        } else {
            open.removeLast();
        }
    }
    return open.isEmpty() ? QString() : QStringLiteral("<%1> is never closed").arg(open.last());
}

QSet<QString> idsOf(const QString &html)
{
    static const QRegularExpression id(QStringLiteral("\\sid=\"([^\"]*)\""));
    QSet<QString> ids;
    auto it = id.globalMatch(html);
    while (it.hasNext())
        ids.insert(it.next().captured(1));
    return ids;
}

struct Quotation
{
    QString kind; // the class: "verse" or "kjvnote"
    QString ref;
    QString text;
};

// Every element carrying data-ref, with its class and decoded text.
QList<Quotation> quotationsOf(const QString &html)
{
    static const QRegularExpression quote(
        QStringLiteral("<(blockquote|q) class=\"([a-z]+)\" data-ref=\"([^\"]+)\">([^<]*)</\\1>"));
    QList<Quotation> found;
    auto it = quote.globalMatch(html);
    while (it.hasNext()) {
        const auto match = it.next();
        found.append({match.captured(2), match.captured(3), decodeEntities(match.captured(4))});
    }
    return found;
}

// A plain QtSql connection to a copy of a shipped table, so that the check
// does not go through the program's own engine.
class TableCopy
{
public:
    explicit TableCopy(const QString &fileName)
        : m_connection(QStringLiteral("documents-") + fileName)
    {
        const QString copy = m_dir.filePath(fileName);
        if (!QFile::copy(QDir(Sandbox::programDir()).filePath(fileName), copy))
            return;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(copy);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        m_open = db.open();
    }
    ~TableCopy() { QSqlDatabase::removeDatabase(m_connection); }
    bool isOpen() const { return m_open; }
    QSqlQuery query(const QString &sql) const
    {
        QSqlQuery q(QSqlDatabase::database(m_connection));
        q.exec(sql);
        return q;
    }

private:
    QTemporaryDir m_dir;
    QString m_connection;
    bool m_open = false;
};

struct BookRow
{
    QString name;
    QString abbreviation;
    QString jfbFile;
    int chapters = 0;
};

QHash<int, BookRow> catalogue()
{
    QHash<int, BookRow> books;
    TableCopy chapters(QStringLiteral("Chapters.db"));
    if (!chapters.isOpen())
        return books;
    QSqlQuery q = chapters.query(QStringLiteral(
        "select \"Book\", \"BookName\", \"BookAbbr\", \"Jfbfile\", \"ChapterCount\" from db"));
    while (q.next()) {
        books.insert(q.value(0).toInt(),
                     {q.value(1).toString(), q.value(2).toString(),
                      q.value(3).toString().section(QLatin1Char('#'), 0, 0), q.value(4).toInt()});
    }
    return books;
}

struct Reference
{
    int book = 0;
    int chapter = 0;
    int firstVerse = 0;
    int lastVerse = 0;
};

// "1 John 5:11-13" by the catalogue's book names.
Reference parseReference(const QString &text, const QHash<int, BookRow> &books)
{
    static const QRegularExpression form(QStringLiteral("^(.+) (\\d+):(\\d+)(?:-(\\d+))?$"));
    const auto match = form.match(text);
    Reference ref;
    if (!match.hasMatch())
        return ref;
    for (auto it = books.cbegin(); it != books.cend(); ++it) {
        if (it->name == match.captured(1))
            ref.book = it.key();
    }
    ref.chapter = match.captured(2).toInt();
    ref.firstVerse = match.captured(3).toInt();
    ref.lastVerse = match.captured(4).isEmpty() ? ref.firstVerse : match.captured(4).toInt();
    return ref;
}

} // namespace

class TestDocuments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void documentIsShipped_data();
    void documentIsShipped();
    void documentIsSelfContainedHtml_data();
    void documentIsSelfContainedHtml();
    void linksLeadSomewhere_data();
    void linksLeadSomewhere();
    void nestingCheckCatchesFaults();

    void scriptureQuotationsMatchTheBible_data();
    void scriptureQuotationsMatchTheBible();
    void translatorsNotesMatchTheNotes();

    void helpListsEveryAbbreviation();
    void helpLookupExamplesHold();
    void jfbPageNamesEveryFile();
    void verseLinksNameRealVerses_data();
    void verseLinksNameRealVerses();

private:
    void addDocumentRows();
    QHash<int, BookRow> m_books;
};

void TestDocuments::initTestCase()
{
    QVERIFY2(QFileInfo(Sandbox::programDir()).isDir(), "the program folder is not built");
    m_books = catalogue();
    QCOMPARE(m_books.size(), 66);
}

void TestDocuments::addDocumentRows()
{
    QTest::addColumn<QString>("relative");
    QStringList documents;
    QDirIterator it(sourceDocs(), {QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        documents.append(QDir(sourceDocs()).relativeFilePath(it.next()));
    for (const QString &required : kRequiredDocuments)
        QVERIFY2(documents.contains(required), qPrintable(required + " has no source"));
    documents.sort();
    for (const QString &relative : documents)
        QTest::newRow(qPrintable(relative)) << relative;
}

void TestDocuments::documentIsShipped_data()
{
    addDocumentRows();
    QTest::newRow("kelvaro.css") << QStringLiteral("kelvaro.css");
}

void TestDocuments::documentIsShipped()
{
    QFETCH(QString, relative);
    QFile source(QDir(sourceDocs()).filePath(relative));
    QFile shipped(QDir(Sandbox::programDir()).filePath(relative));
    QVERIFY2(shipped.open(QIODevice::ReadOnly), qPrintable(shipped.fileName() + " is missing"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY2(source.readAll() == shipped.readAll(), "the shipped copy differs from its source");
}

void TestDocuments::documentIsSelfContainedHtml_data()
{
    addDocumentRows();
}

void TestDocuments::documentIsSelfContainedHtml()
{
    QFETCH(QString, relative);
    QFile file(QDir(Sandbox::programDir()).filePath(relative));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.startsWith("<!DOCTYPE html>"), "does not start with the HTML5 doctype");
    const QString html = QString::fromUtf8(bytes);
    QVERIFY2(html.toUtf8() == bytes, "not valid UTF-8");
    QVERIFY(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    QVERIFY(html.contains(QStringLiteral("<html lang=\"en\">")));

    static const QRegularExpression title(QStringLiteral("<title>([^<]+)</title>"));
    QVERIFY2(title.match(html).hasMatch(), "no title");
    QVERIFY(!title.match(html).captured(1).trimmed().isEmpty());

    const QString fault = nestingFault(html);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));

    // Readable in any browser, also off line.
    QVERIFY(!html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    static const QRegularExpression remote(
        QStringLiteral("<(?:link|img|iframe|object|embed|source|audio|video)\\b[^>]*"
                       "(?:href|src)=\"(?:https?:)?//"),
        QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!remote.match(html).hasMatch(), "loads a resource from the network");

    // Every page shares the one stylesheet at the program folder's root.
    const QString stylesheet =
        QString(QStringLiteral("../")).repeated(relative.count(QLatin1Char('/'))) +
        QStringLiteral("kelvaro.css");
    QVERIFY2(html.contains(QStringLiteral("<link rel=\"stylesheet\" href=\"%1\">").arg(stylesheet)),
             qPrintable(QStringLiteral("does not link ") + stylesheet));
}

void TestDocuments::linksLeadSomewhere_data()
{
    addDocumentRows();
}

void TestDocuments::linksLeadSomewhere()
{
    QFETCH(QString, relative);
    const QDir program(Sandbox::programDir());
    const QString path = program.filePath(relative);
    const QString html = withoutComments(readText(path));
    static const QRegularExpression link(QStringLiteral("\\s(?:href|src)=\"([^\"]*)\""));
    int checked = 0;
    auto it = link.globalMatch(html);
    while (it.hasNext()) {
        const QString target = it.next().captured(1);
        if (target.startsWith(QLatin1String("mailto:")) ||
            target.startsWith(QLatin1String("http:")) || target.startsWith(QLatin1String("https:")))
            continue;
        const QString file = target.section(QLatin1Char('#'), 0, 0);
        const QString fragment = target.section(QLatin1Char('#'), 1);
        const QString targetPath =
            file.isEmpty() ? path : QFileInfo(path).dir().absoluteFilePath(file);
        QVERIFY2(QFileInfo::exists(targetPath), qPrintable(target + " leads nowhere"));
        QVERIFY2(QDir::cleanPath(targetPath).startsWith(QDir::cleanPath(program.absolutePath())),
                 qPrintable(target + " leaves the program folder"));
        if (!fragment.isEmpty()) {
            QVERIFY2(idsOf(readText(targetPath)).contains(fragment),
                     qPrintable(target + " names no anchor of its document"));
        }
        ++checked;
    }
    QVERIFY(checked > 0);
}

void TestDocuments::nestingCheckCatchesFaults()
{
    QVERIFY(nestingFault(QStringLiteral("<p>a<br><b>b</b></p><!-- <i> -->")).isEmpty());
    QVERIFY(!nestingFault(QStringLiteral("<p><b>a</p></b>")).isEmpty());
    QVERIFY(!nestingFault(QStringLiteral("<ul><li>a</ul>")).isEmpty());
    QVERIFY(!nestingFault(QStringLiteral("<div>")).isEmpty());
    QCOMPARE(decodeEntities(QStringLiteral("a &amp;lt; &#39;b&#x27; &lt;c&gt;")),
             QStringLiteral("a &lt; 'b' <c>"));
}

void TestDocuments::scriptureQuotationsMatchTheBible_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("least");
    QTest::newRow("salvation") << QStringLiteral("salvation/index.htm") << 15;
    QTest::newRow("kjvnotes") << QStringLiteral("kjvnotes.htm") << 5;
}

void TestDocuments::scriptureQuotationsMatchTheBible()
{
    QFETCH(QString, relative);
    QFETCH(int, least);
    const QString html = readText(QDir(Sandbox::programDir()).filePath(relative));
    const QList<Quotation> quotations = quotationsOf(html);
    // Nothing marked as a quotation may escape the comparison below.
    QCOMPARE(int(quotations.size()), int(html.count(QStringLiteral(" data-ref="))));

    TableCopy bible(QStringLiteral("kjvbible.db"));
    QVERIFY(bible.isOpen());
    int verses = 0;
    for (const Quotation &quotation : quotations) {
        if (quotation.kind != QLatin1String("verse"))
            continue;
        const Reference ref = parseReference(quotation.ref, m_books);
        QVERIFY2(ref.book > 0, qPrintable(quotation.ref + " names no book"));
        QVERIFY(ref.firstVerse <= ref.lastVerse);
        QStringList texts;
        for (int verse = ref.firstVerse; verse <= ref.lastVerse; ++verse) {
            QSqlQuery q = bible.query(
                QStringLiteral("select \"Scripture Text\" from db where \"Book\" = %1 and "
                               "\"Chapter\" = %2 and \"Verse\" = %3")
                    .arg(ref.book)
                    .arg(ref.chapter)
                    .arg(verse));
            QVERIFY2(q.next(), qPrintable(quotation.ref + " is not in the Bible text"));
            texts.append(q.value(0).toString());
        }
        QCOMPARE(quotation.text, texts.join(QLatin1Char(' ')));
        // The visible reference names the same passage.
        QVERIFY2(html.contains(QStringLiteral("<cite>%1</cite>").arg(quotation.ref)),
                 qPrintable(quotation.ref + " is not cited"));
        ++verses;
    }
    QVERIFY(verses >= least);
}

void TestDocuments::translatorsNotesMatchTheNotes()
{
    QFile tsv(Sandbox::sourceDir() + QStringLiteral("/data/kjv/notes.tsv"));
    QVERIFY(tsv.open(QIODevice::ReadOnly | QIODevice::Text));
    QMultiHash<QString, QString> notes; // "book:chapter:verse" -> note
    while (!tsv.atEnd()) {
        QString line = QString::fromUtf8(tsv.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 4)
            notes.insert(fields.mid(0, 3).join(QLatin1Char(':')), fields.at(3));
    }
    QVERIFY(!notes.isEmpty());

    const QString html =
        readText(QDir(Sandbox::programDir()).filePath(QStringLiteral("kjvnotes.htm")));
    int checked = 0;
    for (const Quotation &quotation : quotationsOf(html)) {
        if (quotation.kind != QLatin1String("kjvnote"))
            continue;
        const Reference ref = parseReference(quotation.ref, m_books);
        QVERIFY2(ref.book > 0, qPrintable(quotation.ref + " names no book"));
        const QString key =
            QStringLiteral("%1:%2:%3").arg(ref.book).arg(ref.chapter).arg(ref.firstVerse);
        QVERIFY2(
            notes.values(key).contains(quotation.text),
            qPrintable(quotation.ref + ": \"" + quotation.text + "\" is no note of that verse"));
        ++checked;
    }
    QVERIFY(checked >= 10);
}

void TestDocuments::helpListsEveryAbbreviation()
{
    const QString html =
        readText(QDir(Sandbox::programDir()).filePath(QStringLiteral("help/index.htm")));
    static const QRegularExpression row(QStringLiteral(
        "<tr "
        "data-book=\"(\\d+)\"><td>(\\d+)</td><td>([^<]+)</td><td><code>([^<]+)</code></td></tr>"));
    QHash<int, QString> listed;
    auto it = row.globalMatch(html);
    while (it.hasNext()) {
        const auto match = it.next();
        const int book = match.captured(1).toInt();
        QVERIFY2(!listed.contains(book), qPrintable(QStringLiteral("book %1 twice").arg(book)));
        QCOMPARE(match.captured(2).toInt(), book);
        QCOMPARE(match.captured(3), m_books.value(book).name);
        listed.insert(book, match.captured(4));
    }
    QCOMPARE(listed.size(), 66);
    for (int book = 1; book <= 66; ++book)
        QCOMPARE(listed.value(book), m_books.value(book).abbreviation);
}

void TestDocuments::helpLookupExamplesHold()
{
    // The guide's examples of the nearest-abbreviation rule, run through the
    // same look-up the main window makes.
    const QString html =
        readText(QDir(Sandbox::programDir()).filePath(QStringLiteral("help/index.htm")));
    static const QRegularExpression example(
        QStringLiteral("<tr data-typed=\"([^\"]*)\" data-book=\"(\\d+)\">"));
    Sandbox sandbox;
    QVERIFY(sandbox.isValid());
    Table chapters(QStringLiteral("Chapters.db"));
    chapters.setIndexName(QStringLiteral("IDX_BookAbbr"));
    chapters.open();
    int checked = 0;
    auto it = example.globalMatch(html);
    while (it.hasNext()) {
        const auto match = it.next();
        const QString typed = decodeEntities(match.captured(1));
        chapters.findNearest(typed);
        QVERIFY2(chapters.fieldByName(QStringLiteral("Book")).asInteger() ==
                     match.captured(2).toInt(),
                 qPrintable(QStringLiteral("\"%1\" gives book %2")
                                .arg(typed)
                                .arg(chapters.fieldByName(QStringLiteral("Book")).asInteger())));
        ++checked;
    }
    QVERIFY(checked >= 4);
}

void TestDocuments::jfbPageNamesEveryFile()
{
    const QString html =
        readText(QDir(Sandbox::programDir()).filePath(QStringLiteral("jfb/getjfb.htm")));
    QVERIFY(html.contains(QStringLiteral("<code>jfb00.htm</code>")));
    static const QRegularExpression row(
        QStringLiteral("<tr data-book=\"(\\d+)\" data-chapters=\"(\\d+)\">.*?"
                       "<code class=\"jfbfile\">([^<]+)</code>.*?</tr>"));
    QHash<int, QString> listed;
    auto it = row.globalMatch(html);
    while (it.hasNext()) {
        const auto match = it.next();
        const int book = match.captured(1).toInt();
        QVERIFY2(!listed.contains(book), qPrintable(QStringLiteral("book %1 twice").arg(book)));
        QCOMPARE(match.captured(2).toInt(), m_books.value(book).chapters);
        listed.insert(book, match.captured(3));
    }
    QCOMPARE(listed.size(), 66);
    for (int book = 1; book <= 66; ++book)
        QCOMPARE(listed.value(book), m_books.value(book).jfbFile);
}

void TestDocuments::verseLinksNameRealVerses_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("links");
    // A reference of the source that names no verse, left as text.
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("text");
    // The build counts 52,999 references in Easton's entries and 1,418 in
    // Matthew Henry's commentary.
    QTest::newRow("Easton's Bible Dictionary")
        << "ebd" << 52871 << "clay.htm"
        << "<a href=\"kelvaro:Isa+57:20\">Isa. 57:20</a>; Jer. 38:60)";
    QTest::newRow("Matthew Henry's Concise Commentary")
        << "mhc" << 1418 << "genesis.htm"
        << "(<a href=\"kelvaro:Gen+8:13\">Ge 8:13-19</a>)";
}

void TestDocuments::verseLinksNameRealVerses()
{
    QFETCH(QString, folder);
    QFETCH(int, links);
    QFETCH(QString, page);
    QFETCH(QString, text);
    QHash<QString, int> books;
    for (auto it = m_books.cbegin(); it != m_books.cend(); ++it)
        books.insert(it.value().abbreviation, it.key());
    TableCopy verses(QStringLiteral("Verses.db"));
    QVERIFY(verses.isOpen());
    QHash<QString, int> verseCounts;
    QSqlQuery q =
        verses.query(QStringLiteral("select \"Book\", \"Chapter\", \"VerseCount\" from db"));
    while (q.next())
        verseCounts.insert(q.value(0).toString() + QLatin1Char(':') + q.value(1).toString(),
                           q.value(2).toInt());
    QCOMPARE(verseCounts.size(), 1189);

    static const QRegularExpression link(QStringLiteral("<a href=\"kelvaro:([^\"]*)\">"));
    static const QRegularExpression target(
        QStringLiteral("^([1-3]?[A-Za-z]+)\\+([0-9]+):([0-9]+)$"));
    const QDir dir(QDir(Sandbox::programDir()).filePath(folder));
    int found = 0;
    for (const QString &name : dir.entryList({QStringLiteral("*.htm")}, QDir::Files)) {
        const QString html = readText(dir.filePath(name));
        auto it = link.globalMatch(html);
        while (it.hasNext()) {
            const QString href = it.next().captured(1);
            const QRegularExpressionMatch m = target.match(href);
            QVERIFY2(m.hasMatch(), qPrintable(name + ": " + href));
            const int book = books.value(m.captured(1));
            QVERIFY2(book > 0, qPrintable(name + ": " + href + " names no book"));
            const int count =
                verseCounts.value(QString::number(book) + QLatin1Char(':') + m.captured(2));
            const int verse = m.captured(3).toInt();
            QVERIFY2(verse >= 1 && verse <= count,
                     qPrintable(name + ": " + href + " names no verse"));
            ++found;
        }
    }
    QCOMPARE(found, links);
    QVERIFY(readText(dir.filePath(page)).contains(text));
}

QTEST_GUILESS_MAIN(TestDocuments)
#include "tst_documents.moc"
