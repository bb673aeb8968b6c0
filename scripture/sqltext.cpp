#include "sqltext.h"

namespace {
QString mapAsciiRange(const QString &text, char16_t from, char16_t to, int shift)
{
    QString result = text;
    for (QChar &c : result) {
        const char16_t u = c.unicode();
        if (u >= from && u <= to)
            c = QChar(char16_t(u + shift));
    }
    return result;
}
} // namespace

namespace SqlText {
QString asciiUpper(const QString &text)
{
    return mapAsciiRange(text, u'a', u'z', 'A' - 'a');
}

QString asciiLower(const QString &text)
{
    return mapAsciiRange(text, u'A', u'Z', 'a' - 'A');
}

QString quotedInPattern(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

QString withoutControls(const QString &text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            kept.append(c);
    }
    return kept;
}
} // namespace SqlText
