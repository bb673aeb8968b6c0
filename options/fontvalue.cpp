#include "fontvalue.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

#include <cstdlib>
#include <limits>

namespace {
constexpr int MaxFaceNameLength = 31;
// Point sizes beyond this only make the font engine allocate huge glyphs; a
// stored size that large is a damaged value, not a wish.
constexpr int MaxRenderedPointSize = 1000;

// Negation that stays defined for the most negative value.
qint32 negated(qint32 value)
{
    return value == std::numeric_limits<qint32>::min() ? std::numeric_limits<qint32>::max()
                                                       : -value;
}

QPalette currentPalette()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
               ? QGuiApplication::palette()
               : QPalette();
}

// The system colours by their index, as the palette of this desktop shows
// them.
QColor systemColor(int index)
{
    const QPalette palette = currentPalette();
    switch (index) {
    case 0: // scroll bar
        return palette.color(QPalette::Button);
    case 1:  // desktop
    case 10: // active border
    case 11: // inactive border
    case 30: // menu bar
        return palette.color(QPalette::Window);
    case 2:  // active caption
    case 13: // highlight
    case 27: // gradient of the active caption
    case 29: // menu highlight
        return palette.color(QPalette::Active, QPalette::Highlight);
    case 3:  // inactive caption
    case 28: // gradient of the inactive caption
        return palette.color(QPalette::Inactive, QPalette::Highlight);
    case 4: // menu
    case 5: // window
        return palette.color(QPalette::Base);
    case 6:  // window frame
    case 21: // 3-D dark shadow
        return palette.color(QPalette::Shadow);
    case 7: // menu text
        return palette.color(QPalette::WindowText);
    case 8: // window text
        return palette.color(QPalette::Text);
    case 9:  // caption text
    case 14: // highlighted text
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case 19: // inactive caption text
        return palette.color(QPalette::Inactive, QPalette::HighlightedText);
    case 12: // application workspace
        return palette.color(QPalette::Mid);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 17: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    case 20: // button highlight
        return palette.color(QPalette::Light);
    case 22: // 3-D light
        return palette.color(QPalette::Midlight);
    case 23: // tool tip text
        return palette.color(QPalette::ToolTipText);
    case 24: // tool tip background
        return palette.color(QPalette::ToolTipBase);
    case 26: // hot-tracked item
        return palette.color(QPalette::Link);
    default:
        return QColor(Qt::black);
    }
}
} // namespace

int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const qint64 product = qint64(a) * qint64(b);
    const qint64 divisor = c;
    const bool negative = (product < 0) != (divisor < 0);
    const quint64 magnitude = quint64(product < 0 ? -product : product);
    const quint64 absDivisor = quint64(divisor < 0 ? -divisor : divisor);
    const quint64 rounded = (magnitude + absDivisor / 2) / absDivisor;
    if (rounded > quint64(std::numeric_limits<qint32>::max()) + (negative ? 1 : 0))
        return -1;
    return negative ? int(-qint64(rounded)) : int(rounded);
}

namespace ColorValue {
bool isSystemColor(qint32 value)
{
    return value < 0;
}

// The window-text colour and the framework's default colour both mean "the
// automatic text colour". Both become the palette's text colour, a valid
// colour, so that whoever paints with it needs no special case.
QColor toQColor(qint32 value)
{
    if (value == Default)
        return systemColor(8);
    if (isSystemColor(value))
        return systemColor(value & 0xFF);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

qint32 fromQColor(const QColor &color)
{
    if (!color.isValid())
        return Default;
    const QColor rgb = color.toRgb();
    return qint32(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}
} // namespace ColorValue

int FontValue::screenPixelsPerInch()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 96;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96;
    const int dpi = qRound(screen->logicalDotsPerInch());
    return dpi > 0 ? dpi : 96;
}

int FontValue::size(int pixelsPerInch) const
{
    return negated(mulDiv(height, 72, pixelsPerInch));
}

void FontValue::setSize(int size, int pixelsPerInch)
{
    height = negated(mulDiv(size, pixelsPerInch, 72));
}

void FontValue::setName(const QString &faceName)
{
    if (faceName.isEmpty())
        return;
    name = faceName.left(MaxFaceNameLength);
}

void FontValue::setStyle(FontStyleFlag flag, bool on)
{
    if (on)
        style |= flag;
    else
        style &= ~flag;
}

QFont FontValue::toQFont(int pixelsPerInch) const
{
    QFont font(name);
    // A positive height is a cell height; its size is negative, and its
    // magnitude is the nearest point size Qt can express.
    const int points = std::abs(size(pixelsPerInch));
    if (height != 0 && points > 0)
        font.setPointSize(qMin(points, MaxRenderedPointSize));
    font.setBold(hasStyle(fsBold));
    font.setItalic(hasStyle(fsItalic));
    font.setUnderline(hasStyle(fsUnderline));
    font.setStrikeOut(hasStyle(fsStrikeOut));
    if (pitch == FontPitch::fpFixed)
        font.setFixedPitch(true);
    return font;
}

bool FontValue::operator==(const FontValue &other) const
{
    return name == other.name && height == other.height && style == other.style &&
           color == other.color && pitch == other.pitch;
}

FontValue FontValue::headingDefault()
{
    FontValue font;
    font.height = -19;
    font.style = fsBold;
    font.color = ColorValue::Maroon;
    return font;
}

FontValue FontValue::verseDefault()
{
    FontValue font;
    font.height = -16;
    font.style = fsBold;
    font.color = ColorValue::Blue;
    return font;
}

FontValue FontValue::textDefault()
{
    FontValue font;
    font.height = -16;
    font.style = 0;
    font.color = ColorValue::Black;
    return font;
}
