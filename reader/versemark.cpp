#include "versemark.h"

#include <QtMath>

namespace {
// Largest share of the tint in the mark: enough to see the band; less is
// taken where the text would lose its contrast.
const double kTintShares[] = {0.3, 0.25, 0.2, 0.15, 0.1};
// Contrast the text keeps on the mark, where the background gave it as much.
const double kReadableContrast = 4.5;
// Light tints behind dark text, dark ones behind light text.
const QColor kLightTints[] = {QColor(255, 191, 0), QColor(0, 160, 255)};
const QColor kDarkTints[] = {QColor(128, 96, 0), QColor(0, 80, 128)};

double channel(double value)
{
    value /= 255.0;
    return value <= 0.03928 ? value / 12.92 : qPow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

int distance(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}
} // namespace

namespace VerseMark {
QColor colour(const QColor &background, const QColor &text)
{
    const bool lightText = luminance(text) > luminance(background);
    const QColor *tints = lightText ? kDarkTints : kLightTints;
    // The tint furthest from the background first, so that a yellow page
    // still shows the band; last, plain white or black, which only ever
    // adds to the text's contrast.
    const bool firstFurther = distance(background, tints[0]) >= distance(background, tints[1]);
    const QColor candidates[] = {firstFurther ? tints[0] : tints[1],
                                 firstFurther ? tints[1] : tints[0],
                                 lightText ? QColor(Qt::black) : QColor(Qt::white)};
    const double wanted = qMin(kReadableContrast, contrast(background, text));
    QColor mark = background;
    for (const QColor &tint : candidates) {
        for (const double share : kTintShares) {
            auto mix = [share](int from, int to) { return qRound(from + (to - from) * share); };
            mark = QColor(mix(background.red(), tint.red()), mix(background.green(), tint.green()),
                          mix(background.blue(), tint.blue()));
            if (contrast(mark, text) >= wanted)
                return mark;
        }
    }
    return mark;
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}
} // namespace VerseMark
