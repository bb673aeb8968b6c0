#include "storedvalues.h"

#include "scripture/integertext.h"

#include <QRegularExpression>

namespace StoredValues {
namespace {
const char *const StyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const FontStyleFlag StyleFlags[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
const char *const PitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
const char *const AlignNames[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}
} // namespace

QString trimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool parseInteger(const QString &text, qint32 *value)
{
    const auto parsed = IntegerText::parse(text, IntegerText::Blanks::None, IntegerText::Hex::Bits);
    if (parsed)
        *value = *parsed;
    return parsed.has_value();
}

qint32 toInteger(const QString &text)
{
    qint32 value = 0;
    return parseInteger(text, &value) ? value : 0;
}

QString integerText(qint32 value)
{
    return QString::number(value);
}

QString styleText(int style)
{
    QStringList names;
    for (int i = 0; i < 4; ++i) {
        if (style & StyleFlags[i])
            names << QLatin1String(StyleNames[i]);
    }
    return QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
}

int parseStyle(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,\\[\\]]+"));
    int style = 0;
    const QStringList words = text.split(separators, Qt::SkipEmptyParts);
    for (const QString &word : words) {
        for (int i = 0; i < 4; ++i) {
            if (word.compare(QLatin1String(StyleNames[i]), Qt::CaseInsensitive) == 0)
                style |= StyleFlags[i];
        }
    }
    return style;
}

QString pitchText(FontPitch pitch)
{
    return QLatin1String(PitchNames[int(pitch)]);
}

bool parsePitch(const QString &text, FontPitch *pitch)
{
    for (int i = 0; i < 3; ++i) {
        if (text.compare(QLatin1String(PitchNames[i]), Qt::CaseInsensitive) == 0) {
            *pitch = FontPitch(i);
            return true;
        }
    }
    return false;
}

QString alignText(Align align)
{
    return QLatin1String(AlignNames[int(align)]);
}

bool parseAlign(const QString &text, Align *align)
{
    for (int i = 0; i < 6; ++i) {
        if (text.compare(QLatin1String(AlignNames[i]), Qt::CaseInsensitive) == 0) {
            *align = Align(i);
            return true;
        }
    }
    return false;
}

bool isToolBarEdge(Align align)
{
    return align != Align::alNone && align != Align::alClient;
}

Qt::ToolBarArea toToolBarArea(Align align)
{
    switch (align) {
    case Align::alBottom:
        return Qt::BottomToolBarArea;
    case Align::alLeft:
        return Qt::LeftToolBarArea;
    case Align::alRight:
        return Qt::RightToolBarArea;
    default:
        return Qt::TopToolBarArea;
    }
}

Align fromToolBarArea(Qt::ToolBarArea area)
{
    switch (area) {
    case Qt::BottomToolBarArea:
        return Align::alBottom;
    case Qt::LeftToolBarArea:
        return Align::alLeft;
    case Qt::RightToolBarArea:
        return Align::alRight;
    default:
        return Align::alTop;
    }
}

QString rectText(int a, int b, int c, int d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

QStringList placementWords(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[ ,]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

int placementNumber(const QStringList &words, int index, int fallback)
{
    qint32 value = 0;
    if (index < words.size() && parseInteger(words.at(index), &value))
        return value;
    return fallback;
}

QString screenSuffix(const QSize &screen)
{
    return QStringLiteral("(%1x%2)").arg(screen.width()).arg(screen.height());
}

const QStringList &fontPropertyNames()
{
    static const QStringList names = {QStringLiteral("Color"), QStringLiteral("Height"),
                                      QStringLiteral("Name"),  QStringLiteral("Pitch"),
                                      QStringLiteral("Size"),  QStringLiteral("Style")};
    return names;
}

QString fontPropertyText(const FontValue &font, const QString &property, int pixelsPerInch)
{
    if (property == QLatin1String("Color"))
        return integerText(font.color);
    if (property == QLatin1String("Height"))
        return integerText(font.height);
    if (property == QLatin1String("Name"))
        return trimmed(font.name);
    if (property == QLatin1String("Pitch"))
        return pitchText(font.pitch);
    if (property == QLatin1String("Size"))
        return integerText(font.size(pixelsPerInch));
    if (property == QLatin1String("Style"))
        return styleText(font.style);
    return QString();
}

QList<QPair<QString, QString>> fontTexts(const FontValue &font, int pixelsPerInch)
{
    QList<QPair<QString, QString>> texts;
    for (const QString &property : fontPropertyNames())
        texts.append({property, fontPropertyText(font, property, pixelsPerInch)});
    return texts;
}

void applyFontProperty(FontValue &font, const QString &property, const QString &text,
                       int pixelsPerInch)
{
    const QString value = trimmed(text);
    if (property == QLatin1String("Color")) {
        font.color = toInteger(value);
    } else if (property == QLatin1String("Height")) {
        font.height = toInteger(value);
    } else if (property == QLatin1String("Name")) {
        font.setName(value);
    } else if (property == QLatin1String("Pitch")) {
        parsePitch(value, &font.pitch);
    } else if (property == QLatin1String("Size")) {
        font.setSize(toInteger(value), pixelsPerInch);
    } else if (property == QLatin1String("Style")) {
        font.style = parseStyle(value);
    }
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool parseBoolean(const QString &text, bool *value)
{
    for (const bool candidate : {false, true}) {
        if (text.compare(booleanText(candidate), Qt::CaseInsensitive) == 0) {
            *value = candidate;
            return true;
        }
    }
    return false;
}

} // namespace StoredValues
