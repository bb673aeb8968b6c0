// The colour behind marked verses: a tint of the reading background, so
// that the text keeps its contrast whatever colours the person chose.
#pragma once

#include <QColor>

namespace VerseMark {
QColor colour(const QColor &background, const QColor &text);
// Contrast of two colours as WCAG measures it: 1 (none) to 21.
double contrast(const QColor &a, const QColor &b);
} // namespace VerseMark
