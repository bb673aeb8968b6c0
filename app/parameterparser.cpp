#include "app/parameterparser.h"

#include "scripture/integertext.h"

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
    throw std::runtime_error(IntegerText::invalidMessage(quotedForMessage(text)).toStdString());
}
} // namespace

namespace ParameterParser {
qint32 toInteger(const QString &text)
{
    // Only spaces may lead, and a hexadecimal number must fit the signed
    // range like a decimal one: a chapter or verse is never a bit pattern.
    if (const auto value =
            IntegerText::parse(text, IntegerText::Blanks::Spaces, IntegerText::Hex::Signed))
        return *value;
    notAnInteger(text);
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
