// The rows a table or statement gave, read by name, and their values.
#include "scripture/dataset.h"

#include "scripture/engineconnection.h"
#include "scripture/integertext.h"

#include <limits>

using namespace EngineConnection;

namespace {
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
