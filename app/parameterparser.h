// The reference lists of param.txt: "abbreviation+chapter:verse", several
// references on a line separated by ",", every part optional and carried
// over from the reference before (also across lines).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace ParameterParser {
struct Reference
{
    qint32 Book = 1;
    qint32 Chapter = 1;
    qint32 Verse = 1;
};

// Turns a book abbreviation into a book number (the nearest-key search).
using BookLookup = std::function<qint32(const QString &token)>;
// Opens one reader at a reference.
using OpenReader = std::function<void(const Reference &reference)>;

// Text to integer: leading blanks skipped, an optional sign, then decimal
// digits or "$" and hexadecimal digits, nothing after them. Values outside
// the 32-bit range fail rather than wrap. Throws std::runtime_error with
// "'<text>' is not a valid integer value".
qint32 toInteger(const QString &text);

// The lines of a file's bytes: CR LF, LF and a lone CR all end a line; a
// final line break does not start another line. Bytes are decoded as the
// program writes them (the local 8-bit encoding).
QStringList splitLines(const QByteArray &data);

// One take-over: the working values start at 1, 1, 1 and carry over from
// line to line. Conversion errors propagate; the readers opened before the
// error stay opened.
class Parser
{
public:
    Parser(BookLookup lookup, OpenReader open);

    void parseLine(const QString &line);
    const Reference &values() const { return m_values; }

private:
    BookLookup m_lookup;
    OpenReader m_open;
    Reference m_values;
};

// Runs all lines through one Parser.
void parse(const QStringList &lines, const BookLookup &lookup, const OpenReader &open);
} // namespace ParameterParser
