#include "app/parameterparser.h"

#include <limits>
#include <stdexcept>
#include <utility>

namespace {
// Long or binary tokens must still make a readable one-line message box.
constexpr int kLongestQuotedToken = 80;

QString quotedForMessage(const QString &text)
{
    QString shown =
        text.size() > kLongestQuotedToken ? text.left(kLongestQuotedToken) + QChar(0x2026) : text;
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    return shown;
}

[[noreturn]] void notAnInteger(const QString &text)
{
    const QString message =
        QStringLiteral("'%1' is not a valid integer value").arg(quotedForMessage(text));
    throw std::runtime_error(message.toStdString());
}

int digitValue(QChar c, int base)
{
    const ushort u = c.unicode();
    int value = -1;
    if (u >= '0' && u <= '9')
        value = u - '0';
    else if (u >= 'a' && u <= 'f')
        value = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        value = u - 'A' + 10;
    return value < base ? value : -1;
}
} // namespace

namespace ParameterParser {
qint32 toInteger(const QString &text)
{
    int i = 0;
    const int size = text.size();
    while (i < size && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < size && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < size && text.at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    }
    if (i >= size)
        notAnInteger(text);
    // The magnitude may reach 2^31 for the most negative value.
    const qint64 limit = negative ? qint64(std::numeric_limits<qint32>::max()) + 1
                                  : qint64(std::numeric_limits<qint32>::max());
    qint64 magnitude = 0;
    for (; i < size; ++i) {
        const int digit = digitValue(text.at(i), base);
        if (digit < 0)
            notAnInteger(text);
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            notAnInteger(text);
    }
    return qint32(negative ? -magnitude : magnitude);
}

QStringList splitLines(const QByteArray &data)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = data.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(QString::fromLocal8Bit(data.constData() + start, i - start));
        if (c == '\r' && i + 1 < size && data.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QString::fromLocal8Bit(data.constData() + start, size - start));
    return lines;
}

Parser::Parser(BookLookup lookup, OpenReader open)
    : m_lookup(std::move(lookup)), m_open(std::move(open))
{
}

void Parser::parseLine(const QString &line)
{
    QString token;
    for (const QChar c : line) {
        switch (c.unicode()) {
        case '+':
            // An empty token too: the search then lands on the first row.
            m_values.Book = m_lookup(token);
            token.clear();
            break;
        case ':':
            if (!token.isEmpty()) {
                m_values.Chapter = toInteger(token);
                token.clear();
            }
            break;
        case ',':
            if (!token.isEmpty()) {
                m_values.Verse = toInteger(token);
                token.clear();
            }
            m_open(m_values);
            break;
        default:
            token.append(c);
        }
    }
    if (!token.isEmpty())
        m_values.Verse = toInteger(token);
    m_open(m_values);
}

void parse(const QStringList &lines, const BookLookup &lookup, const OpenReader &open)
{
    Parser parser(lookup, open);
    for (const QString &line : lines)
        parser.parseLine(line);
}
} // namespace ParameterParser
