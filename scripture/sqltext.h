// Text as the statements hold it: case conversion that touches only the
// ASCII letters, and quoting inside a single-quoted pattern.
#pragma once

#include <QString>

namespace SqlText {
QString asciiUpper(const QString &text);
QString asciiLower(const QString &text);
// Every ' written twice, so that the text stays inside its quotes.
QString quotedInPattern(const QString &text);
// The text without control characters: a NUL would end the statement inside
// its quoted pattern, and no word holds any of them.
QString withoutControls(const QString &text);
} // namespace SqlText
