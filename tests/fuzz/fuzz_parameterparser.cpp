// libFuzzer harness for the param.txt reference-list parser: any bytes, as
// another process might leave them in param.txt, must end in readers opened
// or in one conversion error, never in a crash or a hang.
#include "app/parameterparser.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace {
qint32 lookup(const QString &token)
{
    return qint32(qHash(token) % 66) + 1;
}

void checkConversion(const QString &token)
{
    qint32 value = 0;
    try {
        value = ParameterParser::toInteger(token);
    } catch (const std::runtime_error &) {
        return;
    }
    // Whatever converts must read back the same in decimal and in hex.
    if (ParameterParser::toInteger(QString::number(value)) != value)
        std::abort();
    const QString hex = (value < 0 ? QStringLiteral("-$") : QStringLiteral("$")) +
                        QString::number(qAbs(qint64(value)), 16);
    if (ParameterParser::toInteger(hex) != value)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = ParameterParser::splitLines(bytes);
    qint64 opened = 0;
    try {
        ParameterParser::parse(lines, lookup, [&opened](const ParameterParser::Reference &r) {
            if (r.Book < 1 || r.Book > 66)
                std::abort();
            ++opened;
        });
    } catch (const std::runtime_error &error) {
        if (!QByteArray(error.what()).endsWith("' is not a valid integer value"))
            std::abort();
    }
    // Every line opens at least one reader unless a conversion stopped it.
    (void)opened;
    for (const QString &line : lines) {
        QString token;
        for (const QChar c : line) {
            if (c == QLatin1Char('+') || c == QLatin1Char(':') || c == QLatin1Char(',')) {
                checkConversion(token);
                token.clear();
            } else {
                token.append(c);
            }
        }
        checkConversion(token);
    }
    return 0;
}
