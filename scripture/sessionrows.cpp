#include "scripture/sessionrows.h"

#include "scripture/dataset.h"

namespace {
const char *const kPlaceFields[3] = {"book", "chapter", "verse"};
const char *const kBoundsFields[4] = {"top", "left", "height", "width"};

// Thrown for a blank place field: such a row names no place, just as an
// empty text does, and is passed over rather than opening a reader
// captioned " :".
struct BlankPlace
{
};

qint32 number(const Table &table, const char *field)
{
    const FieldValue value = table.fieldByName(QString::fromLatin1(field));
    if (value.isNull() || value.asString().trimmed().isEmpty())
        throw BlankPlace{};
    return value.asInteger();
}
} // namespace

namespace SessionRows {
QString fields()
{
    return QStringLiteral("\"order\" integer primary key, \"book\" integer, \"chapter\" integer, "
                          "\"verse\" integer, \"top\" integer, \"left\" integer, "
                          "\"height\" integer, \"width\" integer");
}

void createIfMissing(const QString &path)
{
    Engine::createIfMissing(path, fields());
}

Reading read(Table &table, int most)
{
    Reading reading;
    for (table.first(); !table.eof(); table.next()) {
        if (reading.rows.size() == most) {
            reading.tooMany = true;
            break;
        }
        Row row;
        try {
            row.book = number(table, kPlaceFields[0]);
            row.chapter = number(table, kPlaceFields[1]);
            row.verse = number(table, kPlaceFields[2]);
        } catch (const BlankPlace &) {
            continue;
        } catch (const EngineError &error) {
            if (reading.unreadable++ == 0)
                reading.firstProblem = error.message();
            continue;
        }
        try {
            row.top = number(table, kBoundsFields[0]);
            row.left = number(table, kBoundsFields[1]);
            row.height = number(table, kBoundsFields[2]);
            row.width = number(table, kBoundsFields[3]);
            row.hasBounds = true;
        } catch (const BlankPlace &) {
        } catch (const EngineError &) {
            // A session from a version without bounds: the default place.
        }
        reading.rows.append(row);
    }
    return reading;
}

void write(Table &table, const QList<Row> &rows)
{
    if (!table.active())
        table.open();
    table.beginTransaction();
    try {
        table.emptyTable();
        int order = 0;
        for (const Row &row : rows) {
            table.append();
            table.setField(QStringLiteral("order"), order);
            table.setField(QStringLiteral("book"), row.book);
            table.setField(QStringLiteral("chapter"), row.chapter);
            table.setField(QStringLiteral("verse"), row.verse);
            table.setField(QStringLiteral("top"), row.top);
            table.setField(QStringLiteral("left"), row.left);
            table.setField(QStringLiteral("height"), row.height);
            table.setField(QStringLiteral("width"), row.width);
            table.post();
            ++order;
        }
        table.commit();
    } catch (...) {
        table.rollback();
        throw;
    }
}
} // namespace SessionRows
