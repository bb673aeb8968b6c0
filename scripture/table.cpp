// A table file read in a chosen order through a filter, and written row by
// row when it is opened exclusively.
#include "scripture/dataset.h"

#include "scripture/engineconnection.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

using namespace EngineConnection;

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
    const QString attached = m_schema.isEmpty() ? QString() : attachedPath(m_schema);
    if (!attached.isEmpty())
        return attached;
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
