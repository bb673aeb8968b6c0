// Inside the engine: the thread's connection and the helpers that Table and
// Query share. Not for the windows, which use Table and Query.
#pragma once

#include "scripture/dataset.h"

#include <QString>
#include <QStringList>

class QSqlDatabase;
class QSqlError;
class QSqlQuery;

namespace EngineConnection {
// This thread's connection, opened at its first use.
QSqlDatabase database();
// SQLite's own words for an error, or the driver's when it gave none.
QString engineMessage(const QSqlError &error);
QString quoteIdentifier(const QString &name);
void execOrThrow(QSqlQuery &query, const QString &sql);
// Runs one statement and reads its whole result.
void readStatement(const QString &sql, QStringList &names, ResultRows &rows);
// The file attached under schema, or an empty text when none is.
QString attachedPath(const QString &schema);
} // namespace EngineConnection
