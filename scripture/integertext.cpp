#include "integertext.h"

#include <limits>

namespace {
bool isLeadingBlank(QChar c, IntegerText::Blanks blanks)
{
    switch (blanks) {
    case IntegerText::Blanks::None:
        return false;
    case IntegerText::Blanks::Spaces:
        return c == QLatin1Char(' ');
    case IntegerText::Blanks::SpacesAndTabs:
        return c == QLatin1Char(' ') || c == QLatin1Char('\t');
    }
    return false;
}

// ASCII digits only, so that other scripts' digits are refused.
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

namespace IntegerText {
std::optional<qint32> parse(const QString &text, Blanks blanks, Hex hex)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && isLeadingBlank(text.at(i), blanks))
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
        return std::nullopt;
    quint64 magnitude = 0;
    for (; i < size; ++i) {
        const int digit = digitValue(text.at(i), base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + quint64(digit);
        if (magnitude > std::numeric_limits<quint32>::max())
            return std::nullopt;
    }
    if (base == 16 && hex == Hex::Bits && !negative)
        return qint32(quint32(magnitude));
    const qint64 value = negative ? -qint64(magnitude) : qint64(magnitude);
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

QString invalidMessage(const QString &shown)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(shown);
}
} // namespace IntegerText
