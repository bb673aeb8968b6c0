#include "app/pagerect.h"

#include <cmath>

namespace {
constexpr double kMarginInches = 1.0;
constexpr double kBlockWidthInches = 6.5;
constexpr double kBlockHeightInches = 9.0;
} // namespace

namespace PageRectangle {
int nearest(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double result = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
        result += 1.0;
    return static_cast<int>(result);
}

PageRect forPrinter(int dpiX, int dpiY, int offsetX, int offsetY)
{
    PageRect rect;
    rect.left = nearest(dpiX * kMarginInches) - offsetX;
    rect.top = nearest(dpiY * kMarginInches) - offsetY;
    rect.right = nearest(dpiX * kBlockWidthInches) + rect.left;
    rect.bottom = nearest(dpiY * kBlockHeightInches) + rect.top;
    return rect;
}
} // namespace PageRectangle
