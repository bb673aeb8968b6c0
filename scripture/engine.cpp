// The engine's connection: one per thread, an in-memory main database to
// which the table files are attached by name.
#include "scripture/engineconnection.h"

#include "scripture/sqlfunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include <sqlite3.h>
#include <sys/stat.h>

EngineError::EngineError(const QString &message) : std::runtime_error(message.toStdString()) {}

using namespace EngineConnection;

namespace {

// A locked table should fail promptly with SQLite's "database is locked"
// rather than freeze the window for the driver's default five seconds.
const char kConnectOptions[] = "QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=250";

const qint64 kMapSize = 256 * 1024 * 1024;

struct Attachment
{
    QString path;
    Table::Access access = Table::Access::ReadOnly;
    bool mapped = true;
};

// The thread's connection: an in-memory main database to which the table
// files are attached. QSqlDatabase handles may only be used on the thread
// that made them, hence one per thread.
struct Connection
{
    QString name;
    QSqlDatabase db;
    QHash<QString, Attachment> attached; // by schema name

    ~Connection()
    {
        // The main thread's connection lives until the process ends; tearing
        // it down during static destruction would race Qt's own clean-up.
        const QCoreApplication *app = QCoreApplication::instance();
        if (name.isEmpty() || !app || app->thread() == QThread::currentThread())
            return;
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
};

thread_local Connection t_connection;
std::atomic<int> g_connectionCounter{0};

Connection &connection()
{
    Connection &c = t_connection;
    if (c.name.isEmpty()) {
        const QString name = QStringLiteral("kelvaro-engine-%1").arg(++g_connectionCounter);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        db.setConnectOptions(QString::fromLatin1(kConnectOptions));
        if (!db.open()) {
            const QString message = engineMessage(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw EngineError(message);
        }
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA case_sensitive_like=ON")))
            throw EngineError(engineMessage(pragma.lastError()));
        pragma.finish(); // SQLite refuses new functions while a statement runs
        // Where they cannot be installed SQLite's own LIKE, made
        // case-sensitive above, and upper() give the same results more slowly.
        SqlFunctions::install(db);
        c.name = name;
        c.db = db;
    }
    return c;
}

QString &tableFolder()
{
    static QString folder;
    return folder;
}

// The file of the table folder that a bare table name stands for. Names
// are compared without regard to letter case, as on the system the tables
// were first made for; an exact match wins.
QString resolveTableFile(const QString &fileName)
{
    const QFileInfo requested(tableFolder().isEmpty() ? QDir::current() : QDir(tableFolder()),
                              fileName);
    // Only a regular file: opening a FIFO in its place would wait for a
    // writer for ever.
    const auto regular = [](const QString &path) {
        struct stat status;
        if (::stat(QFile::encodeName(path).constData(), &status) != 0 || S_ISREG(status.st_mode))
            return path;
        throw EngineError(
            QStringLiteral("Table is not a file: %1").arg(QDir::toNativeSeparators(path)));
    };
    if (requested.isFile())
        return regular(requested.absoluteFilePath());
    const QDir folder = requested.absoluteDir();
    const QString wanted = requested.fileName();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return regular(folder.absoluteFilePath(entry));
    }
    if (requested.exists())
        throw EngineError(QStringLiteral("Table is not a file: %1")
                              .arg(QDir::toNativeSeparators(requested.absoluteFilePath())));
    throw EngineError(QStringLiteral("Table does not exist: %1")
                          .arg(QDir::toNativeSeparators(requested.absoluteFilePath())));
}

QString schemaName(const QString &fileName)
{
    return QFileInfo(fileName).completeBaseName().toLower();
}

void detach(Connection &c, const QString &schema)
{
    QSqlQuery query(c.db);
    if (!query.exec(QStringLiteral("DETACH DATABASE ") + quoteIdentifier(schema)))
        throw EngineError(engineMessage(query.lastError()));
    c.attached.remove(schema);
}

// Takes the file's lock for good: in exclusive locking mode SQLite keeps the
// lock of the first write transaction until the file is detached, and only
// a write's lock keeps other processes from reading. An exclusive
// transaction that changes nothing takes that lock without writing a byte,
// so opening the session table leaves the file as it was; within a
// transaction already open, rewriting the header's user version is the
// smallest write that leaves the rows alone.
void lockExclusively(QSqlQuery &query, const QString &quotedSchema)
{
    execOrThrow(query, QStringLiteral("PRAGMA %1.locking_mode=EXCLUSIVE").arg(quotedSchema));
    if (query.exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
        execOrThrow(query, QStringLiteral("COMMIT"));
        return;
    }
    execOrThrow(query, QStringLiteral("PRAGMA %1.user_version").arg(quotedSchema));
    const qlonglong version = query.next() ? query.value(0).toLongLong() : 0;
    execOrThrow(query, QStringLiteral("PRAGMA %1.user_version=%2").arg(quotedSchema).arg(version));
}

struct StatementFinalizer
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};

sqlite3 *nativeHandle()
{
    const QSqlDatabase db = database();
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    sqlite3 *native = handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
                          ? *static_cast<sqlite3 *const *>(handle.constData())
                          : nullptr;
    if (!native)
        throw EngineError(QStringLiteral("The SQLite connection is not available"));
    return native;
}

} // namespace

QString EngineConnection::engineMessage(const QSqlError &error)
{
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

QString EngineConnection::quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QSqlDatabase EngineConnection::database()
{
    return connection().db;
}

void EngineConnection::execOrThrow(QSqlQuery &query, const QString &sql)
{
    if (!query.exec(sql))
        throw EngineError(engineMessage(query.lastError()));
}

// Runs one statement and reads its whole result straight from SQLite, with
// the values typed as Qt's driver types them. Texts are converted from UTF-8
// once; a short text equal to the one above it in its column (the book name
// down a search result) shares that row's string instead of a copy.
void EngineConnection::readStatement(const QString &sql, QStringList &names, ResultRows &rows)
{
    sqlite3 *db = nativeHandle();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *prepared = nullptr;
    const char *tail = nullptr;
    const int prepareResult =
        sqlite3_prepare_v2(db, text.constData(), int(text.size()), &prepared, &tail);
    const std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement(prepared);
    if (prepareResult != SQLITE_OK)
        throw EngineError(QString::fromUtf8(sqlite3_errmsg(db)));
    if (tail && !QByteArrayView(tail, text.constData() + text.size() - tail).trimmed().isEmpty())
        throw EngineError(QStringLiteral("Unable to execute multiple statements at a time"));
    names.clear();
    rows.clear();
    if (!statement)
        return; // nothing but blanks or comments

    const int count = sqlite3_column_count(prepared);
    rows.columns = count;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.append(QString::fromUtf8(sqlite3_column_name(prepared, i)));

    constexpr int kShortText = 32;
    struct Previous
    {
        std::array<char, kShortText> bytes{};
        int size = -1;
        QString text;
    };
    std::vector<Previous> previous(static_cast<std::size_t>(count));
    int stepResult = SQLITE_ROW;
    QVector<QVariant> &values = rows.values;
    while ((stepResult = sqlite3_step(prepared)) == SQLITE_ROW) {
        for (int i = 0; i < count; ++i) {
            switch (sqlite3_column_type(prepared, i)) {
            case SQLITE_INTEGER:
                values.append(QVariant(qlonglong(sqlite3_column_int64(prepared, i))));
                break;
            case SQLITE_FLOAT:
                values.append(QVariant(sqlite3_column_double(prepared, i)));
                break;
            case SQLITE_NULL:
                values.append(QVariant(QMetaType::fromType<QString>()));
                break;
            case SQLITE_BLOB: {
                const auto *blob = static_cast<const char *>(sqlite3_column_blob(prepared, i));
                values.append(QVariant(QByteArray(blob, sqlite3_column_bytes(prepared, i))));
                break;
            }
            default: {
                const auto *utf8 = reinterpret_cast<const char *>(sqlite3_column_text(prepared, i));
                const int size = sqlite3_column_bytes(prepared, i);
                Previous &above = previous[std::size_t(i)];
                if (size == above.size &&
                    std::memcmp(utf8, above.bytes.data(), std::size_t(size)) == 0) {
                    values.append(QVariant(above.text));
                    break;
                }
                QString value = QString::fromUtf8(utf8, size);
                if (size <= kShortText) {
                    std::memcpy(above.bytes.data(), utf8, std::size_t(size));
                    above.size = size;
                    above.text = value;
                }
                values.append(QVariant(std::move(value)));
                break;
            }
            }
        }
    }
    if (stepResult != SQLITE_DONE)
        throw EngineError(QString::fromUtf8(sqlite3_errmsg(db)));
}

QString EngineConnection::attachedPath(const QString &schema)
{
    // Asked without opening a connection: a table never opened has none.
    return t_connection.attached.value(schema).path;
}

// ---------------------------------------------------------------------------
// Engine

QString Engine::attach(const QString &fileName, Table::Access access)
{
    Connection &c = connection();
    const QString path = resolveTableFile(fileName);
    const QString schema = schemaName(fileName);
    const auto found = c.attached.constFind(schema);
    if (found != c.attached.constEnd()) {
        if (found->path == path &&
            (found->access == Table::Access::Exclusive || access == Table::Access::ReadOnly))
            return schema;
        detach(c, schema);
    }

    const QFileInfo info(path);
    const QString shownPath = QDir::toNativeSeparators(path);
    if (!info.isReadable())
        throw EngineError(QStringLiteral("Cannot open table: %1").arg(shownPath));
    // SQLite would quietly fall back to reading a write-protected file.
    if (access == Table::Access::Exclusive && !info.isWritable())
        throw EngineError(QStringLiteral("Table is read-only: %1").arg(shownPath));

    // mode=ro / mode=rw never create a missing file.
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                        (access == Table::Access::Exclusive ? QLatin1String("?mode=rw")
                                                            : QLatin1String("?mode=ro"));
    const QString quoted = quoteIdentifier(schema);
    QSqlQuery query(c.db);
    query.prepare(QStringLiteral("ATTACH DATABASE ? AS ") + quoted);
    query.addBindValue(uri);
    if (!query.exec())
        throw EngineError(
            QStringLiteral("%1: %2").arg(engineMessage(query.lastError()), shownPath));
    c.attached.insert(schema, Attachment{path, access});

    // ATTACH reads nothing; make a damaged or foreign file fail here, by name.
    try {
        execOrThrow(query, QStringLiteral("SELECT count(*) FROM %1.sqlite_master").arg(quoted));
        query.finish();
        // The verse text outgrows SQLite's default page cache, so every search
        // would read the file again; mapping it serves the pages from memory.
        execOrThrow(query, QStringLiteral("PRAGMA %1.mmap_size=%2").arg(quoted).arg(kMapSize));
        if (access == Table::Access::Exclusive)
            lockExclusively(query, quoted);
        query.finish();
    } catch (const EngineError &error) {
        query.finish();
        try {
            detach(c, schema);
        } catch (const EngineError &) {
            c.attached.remove(schema);
        }
        throw EngineError(QStringLiteral("%1: %2").arg(error.message(), shownPath));
    }
    return schema;
}

QString Engine::readUnmapped(const QString &fileName, int cachePages)
{
    const QString schema = attach(fileName);
    Connection &c = connection();
    const auto found = c.attached.find(schema);
    if (found == c.attached.end() || !found->mapped)
        return schema;
    const QString quoted = quoteIdentifier(schema);
    QSqlQuery query(c.db);
    execOrThrow(query, QStringLiteral("PRAGMA %1.mmap_size=0").arg(quoted));
    if (cachePages > 0)
        execOrThrow(query, QStringLiteral("PRAGMA %1.cache_size=%2").arg(quoted).arg(cachePages));
    found->mapped = false;
    return schema;
}

bool Engine::createIfMissing(const QString &fileName, const QString &fields)
{
    Connection &c = connection();
    try {
        resolveTableFile(fileName);
        return false;
    } catch (const EngineError &) {
        // Only a name that stands for nothing at all is made; anything else
        // in its place is told as opening it would tell it.
        const QFileInfo requested(tableFolder().isEmpty() ? QDir::current() : QDir(tableFolder()),
                                  fileName);
        const QStringList entries = requested.absoluteDir().entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (requested.exists() || entries.contains(requested.fileName(), Qt::CaseInsensitive))
            throw;
    }
    const QFileInfo requested(tableFolder().isEmpty() ? QDir::current() : QDir(tableFolder()),
                              fileName);
    const QString path = requested.absoluteFilePath();
    const QString shownPath = QDir::toNativeSeparators(path);
    const QString schema = QStringLiteral("kelvaro_new");
    QSqlQuery query(c.db);
    query.prepare(QStringLiteral("ATTACH DATABASE ? AS ") + schema);
    query.addBindValue(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                       QLatin1String("?mode=rwc"));
    if (!query.exec())
        throw EngineError(
            QStringLiteral("%1: %2").arg(engineMessage(query.lastError()), shownPath));
    QString failure;
    if (!query.exec(QStringLiteral("CREATE TABLE %1.db (%2)").arg(schema, fields)))
        failure = engineMessage(query.lastError());
    query.finish();
    if (!query.exec(QStringLiteral("DETACH DATABASE ") + schema) && failure.isEmpty())
        failure = engineMessage(query.lastError());
    if (!failure.isEmpty()) {
        // An empty file would stand in the table's place from then on.
        QFile::remove(path);
        throw EngineError(QStringLiteral("%1: %2").arg(failure, shownPath));
    }
    return true;
}

void Engine::setTableFolder(const QString &folder)
{
    tableFolder() = folder;
}

void Engine::reset()
{
    Connection &c = t_connection;
    if (c.name.isEmpty())
        return;
    // Closing the connection detaches every file, drops its locks and any
    // open transaction; the next use opens a fresh one.
    c.db.close();
    c.db = QSqlDatabase();
    QSqlDatabase::removeDatabase(c.name);
    c.name.clear();
    c.attached.clear();
}
