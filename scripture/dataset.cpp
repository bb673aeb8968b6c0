#include "scripture/dataset.h"

#include "scripture/integertext.h"
#include "scripture/sqlfunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

#include <array>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <sqlite3.h>
#include <sys/stat.h>

EngineError::EngineError(const QString &message) : std::runtime_error(message.toStdString()) {}

namespace {

// A locked table should fail promptly with SQLite's "database is locked"
// rather than freeze the window for the driver's default five seconds.
const char kConnectOptions[] = "QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=250";

const qint64 kMapSize = 256 * 1024 * 1024;

struct Attachment
{
    QString path;
    Table::Access access = Table::Access::ReadOnly;
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

QString engineMessage(const QSqlError &error)
{
    const QString text = error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

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

QSqlDatabase database()
{
    return connection().db;
}

void execOrThrow(QSqlQuery &query, const QString &sql)
{
    if (!query.exec(sql))
        throw EngineError(engineMessage(query.lastError()));
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

// Splits a statement into the parts outside quotes, where table file names
// may stand; quoted text (patterns, identifiers) is blanked out.
QString unquotedText(const QString &sql)
{
    QString result = sql;
    QChar quote;
    for (int i = 0; i < result.size(); ++i) {
        const QChar ch = result.at(i);
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
            result[i] = QLatin1Char(' ');
        } else if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            quote = ch;
            result[i] = QLatin1Char(' ');
        }
    }
    return result;
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

// Runs one statement and reads its whole result straight from SQLite, with
// the values typed as Qt's driver types them. Texts are converted from UTF-8
// once; a short text equal to the one above it in its column (the book name
// down a search result) shares that row's string instead of a copy.
void readStatement(const QString &sql, QStringList &names, ResultRows &rows)
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

QString notAnInteger(const QString &text)
{
    return IntegerText::invalidMessage(text);
}

// The framework's field conversion: leading blanks and tabs, a sign, decimal
// or "$" hexadecimal taken as 32 bits.
qint32 textToInteger(const QString &text)
{
    if (const auto value =
            IntegerText::parse(text, IntegerText::Blanks::SpacesAndTabs, IntegerText::Hex::Bits))
        return *value;
    throw EngineError(notAnInteger(text));
}

} // namespace

// ---------------------------------------------------------------------------
// FieldValue

qint32 FieldValue::asInteger() const
{
    if (m_source.isEmpty())
        return toInteger();
    try {
        return toInteger();
    } catch (const EngineError &error) {
        throw EngineError(error.message() + QStringLiteral(": ") + m_source);
    }
}

qint32 FieldValue::toInteger() const
{
    if (m_value.isNull())
        return 0;
    switch (m_value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::Bool: {
        const qlonglong value = m_value.toLongLong();
        if (value < std::numeric_limits<qint32>::min() ||
            value > std::numeric_limits<qint32>::max())
            throw EngineError(notAnInteger(QString::number(value)));
        return qint32(value);
    }
    case QMetaType::ULongLong: {
        const qulonglong value = m_value.toULongLong();
        if (value > qulonglong(std::numeric_limits<qint32>::max()))
            throw EngineError(notAnInteger(QString::number(value)));
        return qint32(value);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double value = m_value.toDouble();
        if (!(value >= std::numeric_limits<qint32>::min() - 0.5 &&
              value < std::numeric_limits<qint32>::max() + 0.5))
            throw EngineError(notAnInteger(asString()));
        return qint32(qRound64(value));
    }
    default:
        return textToInteger(asString());
    }
}

QString FieldValue::asString() const
{
    if (m_value.isNull())
        return QString();
    switch (m_value.typeId()) {
    case QMetaType::Double:
        return QString::number(m_value.toDouble(), 'g', 15);
    case QMetaType::QByteArray:
        return QString::fromUtf8(m_value.toByteArray());
    default:
        return m_value.toString();
    }
}

// ---------------------------------------------------------------------------
// Cursor

void Cursor::first()
{
    ensureFetched();
    m_pos = 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void Cursor::next()
{
    ensureFetched();
    if (m_rows.isEmpty()) {
        m_eof = true;
        return;
    }
    m_bof = false;
    if (m_pos + 1 < m_rows.size())
        ++m_pos;
    else
        m_eof = true; // stays on the last row, as the framework's cursor does
}

void Cursor::last()
{
    ensureFetched();
    if (m_rows.isEmpty()) {
        m_bof = m_eof = true;
        return;
    }
    m_pos = m_rows.size() - 1;
    m_bof = false;
    m_eof = true;
}

bool Cursor::isEmpty() const
{
    fetchNow();
    return m_rows.isEmpty();
}

int Cursor::recordCount() const
{
    fetchNow();
    return m_rows.size();
}

bool Cursor::eof() const
{
    fetchNow();
    return m_eof || m_rows.isEmpty();
}

bool Cursor::bof() const
{
    fetchNow();
    return m_bof || m_rows.isEmpty();
}

FieldValue Cursor::fieldByName(const QString &name) const
{
    fetchNow();
    int column = -1;
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        if (m_fieldNames.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            column = i;
            break;
        }
    }
    if (column < 0)
        throw EngineError(withSource(QStringLiteral("Field '%1' not found").arg(name)));
    if (m_pos < 0 || m_pos >= m_rows.size())
        throw EngineError(withSource(QStringLiteral("No current record")));
    return FieldValue(m_rows.at(m_pos, column), source());
}

QString Cursor::withSource(const QString &message) const
{
    const QString named = source();
    if (named.isEmpty() || message.contains(named))
        return message;
    return message + QStringLiteral(": ") + named;
}

int Cursor::fieldIndex(const QString &name) const
{
    fetchNow();
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        if (m_fieldNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void Cursor::readResultOf(const QString &sql)
{
    QStringList names;
    ResultRows rows;
    try {
        readStatement(sql, names, rows);
    } catch (const EngineError &error) {
        throw EngineError(withSource(QString::fromUtf8(error.what())));
    }
    setResult(std::move(names), std::move(rows));
}

void Cursor::setResult(QStringList fieldNames, ResultRows rows)
{
    m_fieldNames = std::move(fieldNames);
    m_rows = std::move(rows);
    first();
}

void Cursor::clearRows()
{
    m_rows.clear();
    first();
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

// ---------------------------------------------------------------------------
// Table

Table::Table(QString tableName) : m_tableName(std::move(tableName)) {}

Table::~Table()
{
    if (m_inTransaction) {
        try {
            rollback();
        } catch (const EngineError &) {
        }
    }
}

void Table::setTableName(const QString &name)
{
    close();
    m_tableName = name;
}

void Table::setIndexFieldNames(const QString &fields)
{
    m_indexFields = fields;
    m_indexName.clear();
    if (m_active) {
        readStructure();
        refresh();
    }
}

void Table::setIndexName(const QString &indexName)
{
    m_indexName = indexName;
    m_indexFields.clear();
    if (m_active) {
        readStructure();
        refresh();
    }
}

void Table::open()
{
    if (m_active)
        return;
    try {
        m_schema = Engine::attach(m_tableName, m_access);
        readStructure();
        refresh();
    } catch (const EngineError &error) {
        m_openError = error.message();
        throw;
    }
    m_openError.clear();
    m_active = true;
}

QString Table::filePath() const
{
    const Connection &c = t_connection;
    const auto found = c.attached.constFind(m_schema);
    if (!m_schema.isEmpty() && found != c.attached.constEnd())
        return found->path;
    return QFileInfo(QDir::current(), m_tableName).absoluteFilePath();
}

QString Table::source() const
{
    return QDir::toNativeSeparators(filePath());
}

void Table::exec(QSqlQuery &query, const QString &sql) const
{
    if (!query.exec(sql))
        throw EngineError(withSource(engineMessage(query.lastError())));
}

void Table::close()
{
    if (m_inTransaction)
        rollback();
    m_active = false;
    m_stale = false;
    m_appending = false;
    m_pendingRow.clear();
    m_fieldNames.clear();
    clearRows();
}

void Table::setFilter(const QString &filter)
{
    m_filter = filter;
    if (m_active)
        refresh();
}

QString Table::schema() const
{
    return quoteIdentifier(m_schema);
}

QString Table::columnName(const QString &name) const
{
    for (const QString &column : m_columns) {
        if (column.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return column;
    }
    throw EngineError(withSource(QStringLiteral("Field '%1' not found").arg(name.trimmed())));
}

// Columns of the table and the key of the chosen order.
void Table::readStructure()
{
    QSqlQuery query(database());
    m_columns.clear();
    QStringList primaryKey;
    QVector<int> primaryKeyRank;
    exec(query, QStringLiteral("PRAGMA %1.table_info(db)").arg(schema()));
    while (query.next()) {
        const QString name = query.value(1).toString();
        m_columns.append(name);
        const int rank = query.value(5).toInt();
        if (rank > 0) {
            primaryKey.append(name);
            primaryKeyRank.append(rank);
        }
    }
    if (m_columns.isEmpty())
        throw EngineError(withSource(QStringLiteral("Table 'db' not found")));

    m_keyParts.clear();
    if (!m_indexFields.isEmpty()) {
        const QStringList fields = m_indexFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString &field : fields)
            m_keyParts.append(KeyPart{quoteIdentifier(columnName(field)), QString(), false});
    } else if (!m_indexName.isEmpty()) {
        exec(query, QStringLiteral("PRAGMA %1.index_xinfo(%2)")
                        .arg(schema(), quoteIdentifier(m_indexName)));
        while (query.next()) {
            if (query.value(5).toInt() == 0)
                continue; // the row id that ends every index entry
            const int cid = query.value(1).toInt();
            if (cid == -2)
                throw EngineError(
                    withSource(QStringLiteral("Index %1 is on an expression").arg(m_indexName)));
            const QString column =
                cid == -1 ? QStringLiteral("rowid") : quoteIdentifier(query.value(2).toString());
            m_keyParts.append(
                KeyPart{column, query.value(4).toString(), query.value(3).toInt() != 0});
        }
        if (m_keyParts.isEmpty())
            throw EngineError(
                withSource(QStringLiteral("Index does not exist: %1").arg(m_indexName)));
    } else {
        // Natural order: the row id, or the primary key of a table without one.
        if (query.exec(QStringLiteral("SELECT rowid FROM %1.db LIMIT 0").arg(schema()))) {
            m_keyParts.append(KeyPart{QStringLiteral("rowid"), QString(), false});
        } else {
            for (int rank = 1; rank <= primaryKey.size(); ++rank)
                m_keyParts.append(
                    KeyPart{quoteIdentifier(primaryKey.at(primaryKeyRank.indexOf(rank))), QString(),
                            false});
        }
    }
}

QString Table::orderClause() const
{
    QStringList terms;
    for (const KeyPart &part : m_keyParts) {
        QString term = part.column;
        if (!part.collation.isEmpty())
            term += QStringLiteral(" COLLATE ") + quoteIdentifier(part.collation);
        if (part.descending)
            term += QStringLiteral(" DESC");
        terms.append(term);
    }
    return terms.isEmpty() ? QString()
                           : QStringLiteral(" ORDER BY ") + terms.join(QLatin1String(", "));
}

// The windows' filter texts name fields in square brackets; they become
// quoted identifiers of the table's own columns, the rest is SQL as written.
QString Table::filterClause() const
{
    if (m_filter.trimmed().isEmpty())
        return QString();
    QString sql;
    sql.reserve(m_filter.size() + 8);
    bool inString = false;
    for (int i = 0; i < m_filter.size(); ++i) {
        const QChar ch = m_filter.at(i);
        if (ch == QLatin1Char('\''))
            inString = !inString;
        if (!inString && ch == QLatin1Char('[')) {
            const int end = m_filter.indexOf(QLatin1Char(']'), i + 1);
            if (end < 0)
                throw EngineError(withSource(QStringLiteral("Invalid filter: %1").arg(m_filter)));
            sql += quoteIdentifier(columnName(m_filter.mid(i + 1, end - i - 1)));
            i = end;
        } else {
            sql += ch;
        }
    }
    return QStringLiteral(" WHERE (") + sql + QLatin1Char(')');
}

// The view is read when it is first looked at, so that opening a table and
// then filtering it reads only the filtered rows.
void Table::refresh()
{
    // A filter naming a field the table lacks is refused at once.
    filterClause();
    m_stale = true;
}

void Table::ensureFetched()
{
    if (!m_stale)
        return;
    m_stale = false;
    try {
        fetch();
    } catch (...) {
        m_rows.clear();
        m_stale = true;
        throw;
    }
}

void Table::fetch()
{
    m_schema = Engine::attach(m_tableName, m_access);
    const QString sql =
        QStringLiteral("SELECT * FROM %1.db").arg(schema()) + filterClause() + orderClause();
    readResultOf(sql);
}

void Table::findNearest(const QString &key)
{
    if (!m_active && !m_openError.isEmpty())
        throw EngineError(m_openError);
    if (!m_active)
        throw EngineError(withSource(QStringLiteral("Table is not open")));
    ensureFetched();
    if (key.isEmpty() || m_rows.isEmpty() || m_keyParts.isEmpty()) {
        first();
        return;
    }
    // The rows that sort before the key, counted by SQLite under the key
    // column's own collation and affinity: their number is the position of
    // the first row at or after the key.
    const KeyPart &part = m_keyParts.first();
    const QString collate = part.collation.isEmpty()
                                ? QString()
                                : QStringLiteral(" COLLATE ") + quoteIdentifier(part.collation);
    const QString before =
        part.descending ? QStringLiteral("%1 > ?%2").arg(part.column, collate)
                        : QStringLiteral("(%1 IS NULL OR %1 < ?%2)").arg(part.column, collate);
    const QString filter = filterClause();
    const QString sql =
        QStringLiteral("SELECT count(*) FROM %1.db").arg(schema()) +
        (filter.isEmpty() ? QStringLiteral(" WHERE ") : filter + QStringLiteral(" AND ")) + before;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(sql);
    query.addBindValue(key);
    if (!query.exec() || !query.next())
        throw EngineError(withSource(engineMessage(query.lastError())));
    const int position = query.value(0).toInt();
    m_pos = qMin(position, int(m_rows.size()) - 1);
    m_bof = false;
    m_eof = false;
}

void Table::requireWritable() const
{
    if (!m_active)
        throw EngineError(withSource(QStringLiteral("Table is not open")));
    if (m_access != Access::Exclusive)
        throw EngineError(withSource(QStringLiteral("Table is read-only")));
}

void Table::emptyTable()
{
    requireWritable();
    QSqlQuery query(database());
    exec(query, QStringLiteral("DELETE FROM %1.db").arg(schema()));
    refresh();
}

void Table::append()
{
    requireWritable();
    m_pendingRow.clear();
    m_appending = true;
}

void Table::setField(const QString &name, const QVariant &value)
{
    requireWritable();
    if (!m_appending)
        throw EngineError(withSource(QStringLiteral("Table is not in insert mode")));
    m_pendingRow.insert(columnName(name), value);
}

void Table::post()
{
    requireWritable();
    if (!m_appending)
        throw EngineError(withSource(QStringLiteral("Table is not in insert mode")));
    QSqlQuery query(database());
    if (m_pendingRow.isEmpty()) {
        exec(query, QStringLiteral("INSERT INTO %1.db DEFAULT VALUES").arg(schema()));
    } else {
        QStringList columns;
        QStringList marks;
        for (auto it = m_pendingRow.constBegin(); it != m_pendingRow.constEnd(); ++it) {
            columns.append(quoteIdentifier(it.key()));
            marks.append(QStringLiteral("?"));
        }
        query.prepare(
            QStringLiteral("INSERT INTO %1.db (%2) VALUES (%3)")
                .arg(schema(), columns.join(QLatin1String(", ")), marks.join(QLatin1String(", "))));
        for (const QVariant &value : std::as_const(m_pendingRow))
            query.addBindValue(value);
        if (!query.exec())
            throw EngineError(withSource(engineMessage(query.lastError())));
    }
    m_appending = false;
    m_pendingRow.clear();
    refresh();
}

void Table::beginTransaction()
{
    requireWritable();
    if (m_inTransaction)
        throw EngineError(QStringLiteral("A transaction is already active"));
    QSqlQuery query(database());
    exec(query, QStringLiteral("BEGIN"));
    m_inTransaction = true;
}

void Table::commit()
{
    if (!m_inTransaction)
        throw EngineError(QStringLiteral("No transaction is active"));
    QSqlQuery query(database());
    exec(query, QStringLiteral("COMMIT"));
    m_inTransaction = false;
}

void Table::rollback()
{
    if (!m_inTransaction)
        throw EngineError(QStringLiteral("No transaction is active"));
    m_inTransaction = false;
    m_appending = false;
    m_pendingRow.clear();
    QSqlQuery query(database());
    exec(query, QStringLiteral("ROLLBACK"));
    if (m_active)
        refresh();
}

// ---------------------------------------------------------------------------
// Query

void Query::open()
{
    close();
    const QString sql = statement();
    // Every "name.db" outside quotes names a table file of the table folder.
    static const QRegularExpression tableFile(
        QStringLiteral("(?<![\\w.])([A-Za-z_][A-Za-z0-9_]*\\.db)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QString bare = unquotedText(sql);
    m_files.clear();
    QStringList schemas;
    for (auto it = tableFile.globalMatch(bare); it.hasNext();) {
        const QString schema = Engine::attach(it.next().captured(1), Table::Access::ReadOnly);
        const QString path = QDir::toNativeSeparators(t_connection.attached.value(schema).path);
        if (!m_files.contains(path)) {
            m_files.append(path);
            schemas.append(schema);
        }
    }

    try {
        readResultOf(sql);
    } catch (const EngineError &error) {
        // A statement over several files fails as a whole; when some of
        // them are damaged, those are the ones to name.
        const QString all = QStringLiteral(": ") + source();
        QString message = error.message();
        if (schemas.size() < 2 || !message.endsWith(all))
            throw;
        QStringList damaged;
        for (int i = 0; i < schemas.size(); ++i) {
            QSqlQuery check(database());
            if (!check.exec(QStringLiteral("PRAGMA %1.quick_check(1)")
                                .arg(quoteIdentifier(schemas.at(i)))) ||
                !check.next() || check.value(0).toString() != QLatin1String("ok"))
                damaged.append(m_files.at(i));
        }
        if (damaged.isEmpty() || damaged.size() == m_files.size())
            throw;
        message.chop(all.size());
        throw EngineError(message + QStringLiteral(": ") + damaged.join(QStringLiteral(", ")));
    }
    m_active = true;
}

QString Query::source() const
{
    return m_files.join(QStringLiteral(", "));
}

void Query::close()
{
    m_active = false;
    m_fieldNames.clear();
    clearRows();
}
