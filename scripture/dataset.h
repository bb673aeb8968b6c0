// Table and query objects over the program's SQLite table files.
//
// Every table file (kjvbible.db, Chapters.db, Verses.db, ebd.db, settings.db)
// is a one-table SQLite database whose table is named "db". The files are
// named by bare file name and found in the table folder (the program sets
// it to its own folder; tools that set none use the current folder); each is
// attached to the thread's connection under its lower-case base name, so the
// statement text "from kjvbible.db bible" reaches table "db" of schema
// "kjvbible" unchanged. "like" compares case-sensitively on that connection.
//
// Each window owns its own Table and Query objects: every object has its own
// cursor, filter and result. Refused operations throw EngineError carrying
// SQLite's message or naming the missing file.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <stdexcept>

class QSqlQuery;

class EngineError : public std::runtime_error
{
public:
    explicit EngineError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// One field of the current row: read as a 32-bit integer or as text.
class FieldValue
{
public:
    FieldValue() = default;
    explicit FieldValue(QVariant value) : m_value(std::move(value)) {}
    // source: the file the value was read from, named by a conversion error.
    FieldValue(QVariant value, QString source)
        : m_value(std::move(value)), m_source(std::move(source))
    {
    }
    qint32 asInteger() const;
    QString asString() const;
    bool isNull() const { return m_value.isNull(); }
    const QVariant &value() const { return m_value; }

private:
    qint32 toInteger() const;
    QVariant m_value;
    QString m_source;
};

// A statement's result, every row's values one after another: one block for
// the whole result rather than one per row.
struct ResultRows
{
    int columns = 0;
    QVector<QVariant> values;

    int size() const { return columns > 0 ? int(values.size() / columns) : 0; }
    bool isEmpty() const { return values.isEmpty(); }
    const QVariant &at(int row, int column) const
    {
        return values.at(qsizetype(row) * columns + column);
    }
    void clear() { values.clear(); }
};

// A materialised forward cursor over a result: first, next, end and empty
// tests as the windows use them.
class Cursor
{
public:
    virtual ~Cursor() = default;
    void first();
    void next();
    void last();
    bool eof() const; // past the last row (also true when empty)
    bool bof() const; // on or before the first row
    bool isEmpty() const;
    int recordCount() const;
    int recNo() const { return m_pos; } // 0-based current row
    // Field of the current row by name, matched without regard to case.
    // Throws EngineError for an unknown field or when no row is current.
    FieldValue fieldByName(const QString &name) const;
    // For reading many rows: the position of a field (-1 when there is no
    // such field), then its value in the current row, which must exist.
    int fieldIndex(const QString &name) const;
    const QVariant &valueAt(int column) const { return m_rows.at(m_pos, column); }

protected:
    // The file or files the rows come from, as messages name them.
    virtual QString source() const { return QString(); }
    // message, followed by the source unless it names it already.
    QString withSource(const QString &message) const;
    // Reads the view when it has changed since it was last read.
    virtual void ensureFetched() {}
    void fetchNow() const { const_cast<Cursor *>(this)->ensureFetched(); }
    // Runs sql and keeps its rows; an error names the source.
    void readResultOf(const QString &sql);
    void setResult(QStringList fieldNames, ResultRows rows);
    void clearRows();
    QStringList m_fieldNames;
    ResultRows m_rows;
    int m_pos = 0;
    bool m_bof = true;
    bool m_eof = true;
};

class Table : public Cursor
{
public:
    enum class Access { ReadOnly, Exclusive };

    explicit Table(QString tableName = QString());
    ~Table();

    void setTableName(const QString &name);
    QString tableName() const { return m_tableName; }
    void setAccess(Access access) { m_access = access; }
    // Order of rows: a field list such as "Book;Chapter;Verse" ...
    void setIndexFieldNames(const QString &fields);
    // ... or a named index of the file, such as "IDX_BookAbbr".
    void setIndexName(const QString &indexName);

    void open(); // throws EngineError naming the file when it is missing
    void close();
    bool active() const { return m_active; }
    // The file the table name stands for, as the messages name it.
    QString filePath() const;

    // Filter text in the design's form, "[book] = 43 and [chapter] = 3"
    // (ScriptureText and selectChapter write it for the windows).
    // Setting it on an open table re-reads the view; the cursor goes first.
    void setFilter(const QString &filter);
    QString filter() const { return m_filter; }

    // Nearest-key search on the current index: the cursor goes to the first
    // row whose key is equal to or greater than key, or to the last row when
    // key sorts after every row.
    void findNearest(const QString &key);

    // Writing (exclusive tables only).
    void emptyTable();
    void append();
    void setField(const QString &name, const QVariant &value);
    void post();
    // Group several writes so that they land all together or not at all.
    void beginTransaction();
    void commit();
    void rollback();

private:
    // One column of the current order, as the nearest-key search compares it.
    struct KeyPart
    {
        QString column;    // quoted identifier or rowid
        QString collation; // empty: the column's own
        bool descending = false;
    };

    void refresh();
    void fetch();
    void ensureFetched() override;
    QString source() const override;
    void exec(QSqlQuery &query, const QString &sql) const;
    QString schema() const;
    QString orderClause() const;
    void readStructure();
    QString columnName(const QString &name) const;
    QString filterClause() const;
    void requireWritable() const;

    QString m_tableName;
    QString m_schema;
    QString m_indexFields;
    QString m_indexName;
    QStringList m_columns;
    QVector<KeyPart> m_keyParts;
    QString m_filter;
    Access m_access = Access::ReadOnly;
    bool m_active = false;
    // Why the last open failed: the real cause, when the table is used
    // although it could not be opened.
    QString m_openError;
    bool m_inTransaction = false;
    QVariantMap m_pendingRow;
    bool m_stale = true;
    bool m_appending = false;
};

class Query : public Cursor
{
public:
    Query() = default;

    QStringList &sql() { return m_sql; }
    const QStringList &sql() const { return m_sql; }
    void clearSql() { m_sql.clear(); }
    void addLine(const QString &line) { m_sql.append(line); }
    // The statement sent to the engine: the lines joined by line breaks.
    QString statement() const { return m_sql.join(QLatin1Char('\n')); }

    // The table files the statement reads, declared by whoever builds it.
    // Without them the statement's text is searched for the names ("x.db",
    // not inside quotes), as for a statement written by hand.
    void setTableFiles(const QStringList &files) { m_tableFiles = files; }
    const QStringList &tableFiles() const { return m_tableFiles; }

    // Sends the statement unchanged. Its table files are attached first; a
    // missing one raises an error naming the file.
    void open();
    void close();
    bool active() const { return m_active; }

private:
    QString source() const override;

    QStringList m_sql;
    QStringList m_tableFiles; // as declared
    QStringList m_files;      // the files the statement reads, as messages name them
    bool m_active = false;
};

namespace Engine {
// Where bare table names are found; an absolute name stands for itself.
void setTableFolder(const QString &folder);
// Attaches a table file of the table folder (matched without regard to
// letter case) and returns its schema name. Never creates a missing file.
QString attach(const QString &fileName, Table::Access access = Table::Access::ReadOnly);
// A file is mapped into memory when attached, which serves a scan of it from
// memory. A file read a few pages at a time is better read through SQLite's
// own page cache: mapped, the system reads each page's neighbours with it and
// keeps them all resident. Attaches the file when it is not yet attached and
// returns its schema name; cachePages > 0 also bounds SQLite's cache of it.
// Asked again while the file stays attached, it does nothing more.
QString readUnmapped(const QString &fileName, int cachePages = 0);
// Makes a table file with one table of the given fields (SQL column
// definitions) when no file of that name exists; true when it made one.
// An existing file is never touched.
bool createIfMissing(const QString &fileName, const QString &fields);
// Detaches every file of this thread's connection (tests change folders).
void reset();
} // namespace Engine
