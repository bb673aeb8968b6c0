// The rows of the session table (settings.db): one per reader window that
// was open at the last exit, in the order of use. The table is the main
// window's, opened exclusively; these read and write it through the engine.
#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class Table;

namespace SessionRows {
struct Row
{
    qint32 book = 0;
    qint32 chapter = 0;
    qint32 verse = 0;
    // The window's bounds as stored; false when one of them is blank or
    // not a number, and the reader takes the default place.
    bool hasBounds = false;
    qint32 top = 0;
    qint32 left = 0;
    qint32 height = 0;
    qint32 width = 0;
};

struct Reading
{
    QList<Row> rows; // in ascending order
    // More rows than asked for: the rest were not read.
    bool tooMany = false;
    // Rows whose place is not a number, passed over; the first one's cause.
    // A row with a blank place names no place, and is passed over in silence.
    int unreadable = 0;
    QString firstProblem;
};

// The table's fields as a new table is made with them.
QString fields();
// Makes the table file, empty, when it is missing; an existing one is kept.
void createIfMissing(const QString &path);
// At most `most` rows with a place, in order.
Reading read(Table &table, int most);
// Replaces every row with rows, numbered 0, 1, ... in one transaction: a
// failure leaves the rows as they were.
void write(Table &table, const QList<Row> &rows);
} // namespace SessionRows
