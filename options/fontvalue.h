// Font and colour values as the stored settings hold them.
//
// A colour is a signed 32-bit value 0x00BBGGRR (red in the low byte); the top
// bit set plus an index names a system colour. A font keeps its height in
// screen pixels (negative: character height) and derives its point size from
// it at the screen's logical resolution.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

enum FontStyleFlag {
    fsBold = 0x1,
    fsItalic = 0x2,
    fsUnderline = 0x4,
    fsStrikeOut = 0x8,
};

enum class FontPitch { fpDefault, fpVariable, fpFixed };

namespace ColorValue {
constexpr qint32 White = 0x00FFFFFF;
constexpr qint32 Black = 0x00000000;
constexpr qint32 Maroon = 0x00000080;
constexpr qint32 Navy = 0x00800000;
constexpr qint32 Blue = 0x00FF0000;
// The window-text system colour and the framework's default colour both show
// as the automatic text colour.
constexpr qint32 WindowText = qint32(0x80000008);
constexpr qint32 Default = qint32(0x20000000);

QColor toQColor(qint32 value);
qint32 fromQColor(const QColor &color);
bool isSystemColor(qint32 value);
} // namespace ColorValue

struct FontValue
{
    QString name = QStringLiteral("Times New Roman");
    qint32 height = -16;
    int style = 0; // FontStyleFlag bits
    qint32 color = ColorValue::Black;
    FontPitch pitch = FontPitch::fpDefault;

    // The screen's logical pixels per inch (96 when there is no screen).
    static int screenPixelsPerInch();

    // Size = -MulDiv(Height, 72, ppi), halves rounded away from zero.
    int size(int pixelsPerInch = screenPixelsPerInch()) const;
    // Height = -MulDiv(Size, ppi, 72).
    void setSize(int size, int pixelsPerInch = screenPixelsPerInch());
    // An empty name leaves the name as it was; at most 31 characters are kept.
    void setName(const QString &faceName);

    bool hasStyle(FontStyleFlag flag) const { return style & flag; }
    void setStyle(FontStyleFlag flag, bool on);

    // Face name, point size and style as a QFont; the colour is separate.
    QFont toQFont(int pixelsPerInch = screenPixelsPerInch()) const;
    QColor qColor() const { return ColorValue::toQColor(color); }

    bool operator==(const FontValue &other) const;
    bool operator!=(const FontValue &other) const { return !(*this == other); }

    // The design fonts of the heading, verse-number and text samples.
    static FontValue headingDefault();
    static FontValue verseDefault();
    static FontValue textDefault();
};

// MulDiv as the stored settings use it: a * b / c rounded to the nearest
// integer, halves away from zero.
int mulDiv(int a, int b, int c);
