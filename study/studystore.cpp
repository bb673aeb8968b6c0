#include "studystore.h"

#include "scripture/bookcatalogue.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <stdexcept>

namespace {
const char *const kHighlightNames[Study::HighlightCount] = {"yellow", "green", "blue", "pink",
                                                            "orange"};
const int kSchemaVersion = 1;
const char *const kSchema[] = {
    "create table if not exists bookmark (book integer not null, chapter integer not null, "
    "verse integer not null, label text not null default '', created text not null, "
    "primary key (book, chapter, verse)) without rowid",
    "create table if not exists note (book integer not null, chapter integer not null, "
    "verse integer not null, text text not null, modified text not null, "
    "primary key (book, chapter, verse)) without rowid",
    "create table if not exists highlight (book integer not null, chapter integer not null, "
    "verse integer not null, colour integer not null check (colour between 1 and 5), "
    "primary key (book, chapter, verse)) without rowid",
};
// SQLite's own codes for a file that is not, or no longer, a database.
const char *const kDamagedCodes[] = {"11", "26"};

StudyStore *g_current = nullptr;
int g_connections = 0;

bool isDamage(const QSqlError &error)
{
    for (const char *code : kDamagedCodes) {
        if (error.nativeErrorCode() == QLatin1String(code))
            return true;
    }
    return false;
}

// The free name beside the file: "study.db.damaged", then "study.db.damaged-2"...
QString asideName(const QString &path)
{
    QString name = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = path + QStringLiteral(".damaged-%1").arg(n);
    return name;
}

void bindPlace(QSqlQuery &query, const VerseReference &place)
{
    query.bindValue(QStringLiteral(":book"), place.Book);
    query.bindValue(QStringLiteral(":chapter"), place.Chapter);
    query.bindValue(QStringLiteral(":verse"), place.Verse);
}

// One row per verse that has anything, bookmarks, notes and highlights side
// by side. The filter (%1) goes into each part of the union, so that a
// verse or a chapter is found through the keys rather than by reading all.
QString entriesQuery(const QString &filter = QString())
{
    return QStringLiteral(
               "select p.book, p.chapter, p.verse, b.label, b.created, n.text, n.modified, "
               "h.colour, b.book is not null from (select book, chapter, verse from bookmark %1 "
               "union select book, chapter, verse from note %1 union select book, chapter, "
               "verse from highlight %1) p left join bookmark b using (book, chapter, verse) "
               "left join note n using (book, chapter, verse) left join highlight h using "
               "(book, chapter, verse)")
        .arg(filter);
}

// The numbers are the program's own integers, never a person's text.
QString placeFilter(int book, int chapter, int verse = 0)
{
    QString filter = QStringLiteral("where book = %1 and chapter = %2").arg(book).arg(chapter);
    if (verse > 0)
        filter += QStringLiteral(" and verse = %1").arg(verse);
    return filter;
}

Study::Entry entryOf(const QSqlQuery &query)
{
    Study::Entry entry;
    entry.place = {query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt()};
    entry.label = query.value(3).toString();
    entry.created = query.value(4).toString();
    entry.note = query.value(5).toString();
    entry.noteModified = query.value(6).toString();
    entry.highlight = query.value(7).toInt();
    entry.bookmarked = query.value(8).toInt() != 0;
    return entry;
}
} // namespace

namespace Study {
QString highlightName(int colour)
{
    return colour >= 1 && colour <= HighlightCount
               ? QString::fromLatin1(kHighlightNames[colour - 1])
               : QString();
}

int highlightFromName(const QString &name)
{
    for (int i = 0; i < HighlightCount; ++i) {
        if (name == QLatin1String(kHighlightNames[i]))
            return i + 1;
    }
    return 0;
}

bool isValidPlace(const VerseReference &place)
{
    // The longest book has 150 chapters, the longest chapter 176 verses.
    return place.Book >= 1 && place.Book <= BookCatalogue::BookCount && place.Chapter >= 1 &&
           place.Chapter <= 150 && place.Verse >= 1 && place.Verse <= 176;
}

QString referenceText(const VerseReference &place)
{
    // Built by hand: the list window builds a hundred thousand of them.
    return BookCatalogue::names().value(place.Book - 1, QStringLiteral("?")) + QLatin1Char(' ') +
           QString::number(place.Chapter) + QLatin1Char(':') + QString::number(place.Verse);
}

QString now()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}
} // namespace Study

// Commits at the end of a change, or rolls back when it throws.
class StudyStore::Transaction
{
public:
    explicit Transaction(const StudyStore &store)
        : m_store(store), m_db(QSqlDatabase::database(store.m_connection, false))
    {
        if (!m_db.isOpen())
            store.fail(QStringLiteral("The study file %1 is not open."), QString());
        if (!m_db.transaction())
            store.fail(QStringLiteral("Cannot write to %1: %2"), m_db.lastError().text());
    }
    ~Transaction()
    {
        if (!m_done)
            m_db.rollback();
    }
    QSqlQuery run(const char *statement, const VerseReference &place)
    {
        QSqlQuery query(m_db);
        query.prepare(QString::fromLatin1(statement));
        bindPlace(query, place);
        return query;
    }
    void exec(QSqlQuery &query)
    {
        if (!query.exec())
            m_store.fail(QStringLiteral("Cannot write to %1: %2"), query.lastError().text());
    }
    void commit()
    {
        if (!m_db.commit())
            m_store.fail(QStringLiteral("Cannot write to %1: %2"), m_db.lastError().text());
        m_done = true;
    }

private:
    const StudyStore &m_store;
    QSqlDatabase m_db;
    bool m_done = false;
};

StudyStore::StudyStore(QObject *parent)
    : QObject(parent), m_connection(QStringLiteral("kelvaro-study-%1").arg(++g_connections))
{
    g_current = this;
}

StudyStore::~StudyStore()
{
    if (g_current == this)
        g_current = nullptr;
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

StudyStore *StudyStore::current()
{
    return g_current;
}

bool StudyStore::isOpen() const
{
    return QSqlDatabase::contains(m_connection) &&
           QSqlDatabase::database(m_connection, false).isOpen();
}

void StudyStore::fail(const QString &what, const QString &detail) const
{
    throw std::runtime_error(what.arg(QDir::toNativeSeparators(m_path), detail).toStdString());
}

QString StudyStore::open(const QString &folder)
{
    m_path = QDir(folder).filePath(QLatin1String(FileName));
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        fail(QStringLiteral("The study file %1 is not a regular file."), QString());
    if (!info.exists()) {
        // Created empty with the user's own permissions first: SQLite gives
        // its journal files the mode of the database.
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            fail(QStringLiteral("Cannot create the study file %1: %2"), file.errorString());
        file.close();
    }
    // Whatever the owner allowed themselves stays; nobody else may look in.
    // A link is the person's own arrangement: its target is left as it is.
    const QFile::Permissions own =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    if (!QFileInfo(m_path).isSymLink() && (QFile::permissions(m_path) & ~own))
        QFile::setPermissions(m_path, QFile::permissions(m_path) & own);

    QString notice;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlError error;
        {
            QSqlDatabase db =
                QSqlDatabase::contains(m_connection)
                    ? QSqlDatabase::database(m_connection, false)
                    : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
            db.close();
            db.setDatabaseName(m_path);
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
            if (!db.open())
                fail(QStringLiteral("Cannot open the study file %1: %2"), db.lastError().text());
            QSqlQuery query(db);
            const QStringList setup = {QStringLiteral("pragma quick_check"),
                                       QStringLiteral("pragma journal_mode = wal"),
                                       QStringLiteral("pragma synchronous = full")};
            for (const QString &statement : setup) {
                if (!query.exec(statement)) {
                    error = query.lastError();
                    break;
                }
                if (statement.endsWith(QLatin1String("quick_check")) && query.next() &&
                    query.value(0).toString() != QLatin1String("ok")) {
                    error = QSqlError(query.value(0).toString(), QString(),
                                      QSqlError::StatementError, QStringLiteral("11"));
                    break;
                }
            }
            for (const char *statement : kSchema) {
                if (error.isValid())
                    break;
                if (!query.exec(QString::fromLatin1(statement)))
                    error = query.lastError();
            }
            if (!error.isValid() &&
                !query.exec(QStringLiteral("pragma user_version = %1").arg(kSchemaVersion)))
                error = query.lastError();
            if (!error.isValid())
                return notice;
            db.close();
        }
        if (attempt > 0 || !isDamage(error))
            fail(QStringLiteral("Cannot use the study file %1: %2"), error.text());
        // A damaged file is the person's record all the same: it is kept
        // under another name for repair, and a fresh file takes its place.
        const QString aside = asideName(m_path);
        if (!QFile::rename(m_path, aside))
            fail(QStringLiteral("The study file %1 is damaged and cannot be renamed: %2"),
                 error.text());
        for (const char *suffix : {"-wal", "-shm"}) {
            const QString journal = m_path + QLatin1String(suffix);
            if (QFileInfo::exists(journal))
                QFile::rename(journal, aside + QLatin1String(suffix));
        }
        notice = QStringLiteral("The study file %1 was damaged (%2). It was kept as %3; "
                                "a new, empty study file was started.")
                     .arg(QDir::toNativeSeparators(m_path), error.text(),
                          QDir::toNativeSeparators(aside));
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            fail(QStringLiteral("Cannot create the study file %1: %2"), file.errorString());
        file.close();
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    return notice;
}

Study::Entry StudyStore::entry(const VerseReference &place) const
{
    Study::Entry result;
    result.place = place;
    if (!isOpen())
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(entriesQuery(placeFilter(place.Book, place.Chapter, place.Verse))))
        fail(QStringLiteral("Cannot read the study file %1: %2"), query.lastError().text());
    if (query.next())
        result = entryOf(query);
    return result;
}

QHash<int, Study::Entry> StudyStore::chapter(int book, int chapter) const
{
    QHash<int, Study::Entry> result;
    if (!isOpen())
        return result;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(entriesQuery(placeFilter(book, chapter))))
        fail(QStringLiteral("Cannot read the study file %1: %2"), query.lastError().text());
    while (query.next()) {
        const Study::Entry entry = entryOf(query);
        result.insert(entry.place.Verse, entry);
    }
    return result;
}

QList<Study::Entry> StudyStore::entries() const
{
    QList<Study::Entry> result;
    if (!isOpen())
        return result;
    // Three plain scans joined here: far quicker than SQLite's union of a
    // hundred thousand rows.
    QMap<qint64, Study::Entry> byPlace;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    auto scan = [&](const char *statement, auto take) {
        if (!query.exec(QString::fromLatin1(statement)))
            fail(QStringLiteral("Cannot read the study file %1: %2"), query.lastError().text());
        while (query.next()) {
            const VerseReference place{query.value(0).toInt(), query.value(1).toInt(),
                                       query.value(2).toInt()};
            Study::Entry &entry = byPlace[Study::keyOf(place)];
            entry.place = place;
            take(entry);
        }
    };
    scan("select book, chapter, verse, label, created from bookmark", [&](Study::Entry &entry) {
        entry.bookmarked = true;
        entry.label = query.value(3).toString();
        entry.created = query.value(4).toString();
    });
    scan("select book, chapter, verse, text, modified from note", [&](Study::Entry &entry) {
        entry.note = query.value(3).toString();
        entry.noteModified = query.value(4).toString();
    });
    scan("select book, chapter, verse, colour from highlight",
         [&](Study::Entry &entry) { entry.highlight = query.value(3).toInt(); });
    result.reserve(byPlace.size());
    for (const Study::Entry &entry : std::as_const(byPlace))
        result.append(entry);
    return result;
}

void StudyStore::setBookmark(const VerseReference &place, const QString &label)
{
    Transaction transaction(*this);
    QSqlQuery query = transaction.run(
        "insert into bookmark (book, chapter, verse, label, created) values (:book, :chapter, "
        ":verse, :label, :created) on conflict (book, chapter, verse) do update set label = "
        "excluded.label",
        place);
    query.bindValue(QStringLiteral(":label"), label);
    query.bindValue(QStringLiteral(":created"), Study::now());
    transaction.exec(query);
    transaction.commit();
    emit changed();
}

void StudyStore::setNote(const VerseReference &place, const QString &text)
{
    Transaction transaction(*this);
    if (text.isEmpty()) {
        QSqlQuery query = transaction.run(
            "delete from note where book = :book and chapter = :chapter and verse = :verse", place);
        transaction.exec(query);
    } else {
        QSqlQuery query = transaction.run(
            "insert into note (book, chapter, verse, text, modified) values (:book, :chapter, "
            ":verse, :text, :modified) on conflict (book, chapter, verse) do update set text = "
            "excluded.text, modified = excluded.modified",
            place);
        query.bindValue(QStringLiteral(":text"), text);
        query.bindValue(QStringLiteral(":modified"), Study::now());
        transaction.exec(query);
    }
    transaction.commit();
    emit changed();
}

void StudyStore::setHighlight(const QList<VerseReference> &places, int colour)
{
    Transaction transaction(*this);
    for (const VerseReference &place : places) {
        QSqlQuery query =
            colour > 0 ? transaction.run("insert or replace into highlight (book, chapter, verse, "
                                         "colour) values (:book, :chapter, :verse, :colour)",
                                         place)
                       : transaction.run("delete from highlight where book = :book and chapter = "
                                         ":chapter and verse = :verse",
                                         place);
        if (colour > 0)
            query.bindValue(QStringLiteral(":colour"), qBound(1, colour, Study::HighlightCount));
        transaction.exec(query);
    }
    transaction.commit();
    emit changed();
}

void StudyStore::removeBookmarkAndNote(const VerseReference &place)
{
    Transaction transaction(*this);
    for (const char *statement :
         {"delete from bookmark where book = :book and chapter = :chapter and verse = :verse",
          "delete from note where book = :book and chapter = :chapter and verse = :verse"}) {
        QSqlQuery query = transaction.run(statement, place);
        transaction.exec(query);
    }
    transaction.commit();
    emit changed();
}

void StudyStore::writeEntry(const Study::Entry &entry)
{
    // Runs inside the caller's transaction.
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    auto exec = [this](QSqlQuery &query) {
        if (!query.exec())
            fail(QStringLiteral("Cannot write to %1: %2"), query.lastError().text());
    };
    if (entry.bookmarked) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("insert or replace into bookmark (book, chapter, verse, "
                                     "label, created) values (:book, :chapter, :verse, :label, "
                                     ":created)"));
        bindPlace(query, entry.place);
        query.bindValue(QStringLiteral(":label"), entry.label);
        query.bindValue(QStringLiteral(":created"),
                        entry.created.isEmpty() ? Study::now() : entry.created);
        exec(query);
    }
    if (!entry.note.isEmpty()) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("insert or replace into note (book, chapter, verse, text, "
                                     "modified) values (:book, :chapter, :verse, :text, "
                                     ":modified)"));
        bindPlace(query, entry.place);
        query.bindValue(QStringLiteral(":text"), entry.note);
        query.bindValue(QStringLiteral(":modified"),
                        entry.noteModified.isEmpty() ? Study::now() : entry.noteModified);
        exec(query);
    }
    if (entry.highlight > 0) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("insert or replace into highlight (book, chapter, verse, "
                                     "colour) values (:book, :chapter, :verse, :colour)"));
        bindPlace(query, entry.place);
        query.bindValue(QStringLiteral(":colour"), entry.highlight);
        exec(query);
    }
}

void StudyStore::restore(const Study::Entry &entry)
{
    Transaction transaction(*this);
    writeEntry(entry);
    transaction.commit();
    emit changed();
}

Study::MergeCounts StudyStore::merge(const QList<Study::Entry> &entries)
{
    Study::MergeCounts counts;
    {
        Transaction transaction(*this);
        QHash<qint64, Study::Entry> stored;
        for (const Study::Entry &entry : this->entries())
            stored.insert(Study::keyOf(entry.place), entry);
        for (const Study::Entry &incoming : entries) {
            Study::Entry &present = stored[Study::keyOf(incoming.place)];
            Study::Entry added;
            added.place = incoming.place;
            bool anything = false;
            if (incoming.bookmarked && !present.bookmarked) {
                added.bookmarked = true;
                added.label = incoming.label;
                added.created = incoming.created;
                ++counts.bookmarks;
                anything = true;
            } else if (incoming.bookmarked && present.label.isEmpty() &&
                       !incoming.label.isEmpty()) {
                added.bookmarked = true;
                added.label = incoming.label;
                added.created = present.created;
                ++counts.bookmarks;
                anything = true;
            }
            // Two different notes on one verse are both kept: the imported
            // text follows the present one unless one already holds the other.
            if (!incoming.note.isEmpty() && !present.note.contains(incoming.note)) {
                added.note = present.note.isEmpty() || incoming.note.contains(present.note)
                                 ? incoming.note
                                 : present.note + QStringLiteral("\n\n") + incoming.note;
                added.noteModified = present.note.isEmpty() ? incoming.noteModified : Study::now();
                ++counts.notes;
                anything = true;
            }
            if (incoming.highlight > 0 && present.highlight == 0) {
                added.highlight = incoming.highlight;
                ++counts.highlights;
                anything = true;
            }
            if (anything) {
                writeEntry(added);
                // A file that names a verse twice merges into what is now stored.
                present.bookmarked = present.bookmarked || added.bookmarked;
                if (added.bookmarked)
                    present.label = added.label;
                if (!added.note.isEmpty())
                    present.note = added.note;
                if (added.highlight > 0)
                    present.highlight = added.highlight;
            } else
                ++counts.unchanged;
        }
        transaction.commit();
    }
    emit changed();
    return counts;
}
