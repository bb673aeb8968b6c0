// A statement over one or more table files, sent to the engine unchanged.
#include "scripture/dataset.h"

#include "scripture/engineconnection.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlQuery>

using namespace EngineConnection;

namespace {
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

// Every "name.db" outside quotes names a table file of the table folder.
QStringList namedFiles(const QString &sql)
{
    static const QRegularExpression tableFile(
        QStringLiteral("(?<![\\w.])([A-Za-z_][A-Za-z0-9_]*\\.db)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList files;
    for (auto it = tableFile.globalMatch(unquotedText(sql)); it.hasNext();)
        files.append(it.next().captured(1));
    return files;
}
} // namespace

// ---------------------------------------------------------------------------
// Query

void Query::open()
{
    close();
    const QString sql = statement();
    m_files.clear();
    QStringList schemas;
    for (const QString &file : m_tableFiles.isEmpty() ? namedFiles(sql) : m_tableFiles) {
        const QString schema = Engine::attach(file, Table::Access::ReadOnly);
        const QString path = QDir::toNativeSeparators(attachedPath(schema));
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
