// The printed text block: 6.5 by 9 inches whose top-left corner lies one
// inch from the left and top edges of the paper.
#pragma once

struct PageRect
{
    // Device pixels, relative to the printer's printable area; right and
    // bottom lie just outside the block.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PageRect &other) const
    {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

namespace PageRectangle {
// Rounds to the nearest integer, halves to even.
int nearest(double value);
// From the printer's resolution (pixels per inch) and physical offsets (the
// distance from the paper's edges to the printable area, in device pixels).
PageRect forPrinter(int dpiX, int dpiY, int offsetX, int offsetY);
} // namespace PageRectangle
