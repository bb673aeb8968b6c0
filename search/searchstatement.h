// The SQL statement of the verse search, built line by line from the
// keyword boxes. Its exact text is part of the design, so it is built by
// concatenation; the one liberty taken is that every apostrophe inside a
// quoted pattern is doubled, so that keywords such as "Lord's" stay inside
// their SQL string.
#pragma once

#include <QString>
#include <QStringList>

#include "scripture/sqltext.h"

namespace SearchStatement {

// The connective lines: "and" for "all" of the keywords, "or" for "any".
QString connective(bool all);

// A box is blank when it is empty or holds exactly one space. Anything
// else, two spaces included, is a keyword, taken exactly as typed.
bool isBlankKeyword(const QString &text);

// Case conversion of the search touches only the ASCII letters; the text
// between the single quotes of a pattern has its apostrophes doubled.
using SqlText::asciiLower;
using SqlText::asciiUpper;
inline QString quotePattern(const QString &text)
{
    return SqlText::quotedInPattern(text);
}

// The three-pattern group of one keyword (lines a, b and c, without the
// connective that follows it).
QStringList keywordGroup(const QString &keyword);

// The whole statement for the five boxes, in box order; an empty list when
// every box is blank (no statement is issued then).
QStringList buildSearchStatement(const QStringList &keywords, bool all);

} // namespace SearchStatement

using SearchStatement::buildSearchStatement;
