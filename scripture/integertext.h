// The program's one text-to-integer conversion: optional leading blanks, an
// optional sign, then decimal digits or "$" and hexadecimal digits, and
// nothing after. The places that use it differ only in which blanks may lead
// and in how a hexadecimal value past the signed range is read.
#pragma once

#include <QString>

#include <optional>

namespace IntegerText {
enum class Blanks { None, Spaces, SpacesAndTabs };
// Bits: up to 32 bits taken as the value's bit pattern ("$FFFFFFFF" is -1).
// Signed: the hexadecimal value must fit the signed range like a decimal one.
enum class Hex { Bits, Signed };

std::optional<qint32> parse(const QString &text, Blanks blanks, Hex hex);

// "'<shown>' is not a valid integer value".
QString invalidMessage(const QString &shown);
} // namespace IntegerText
