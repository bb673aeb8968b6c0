// The program's pictures: window icon, tool-bar and reader glyphs and the
// background tile, drawn at run time so that they stay sharp and need no
// binary files.
#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

namespace Artwork {
enum class Glyph {
    OpenWindow,
    FindVerses,
    Copy,
    Print,
    Options,
    PreviousChapter,
    NextChapter,
    Dictionary,
    CommentaryMhc,
    CommentaryJfb,
};

QIcon appIcon();
// The program's icon drawn into a square of the given size from the
// painter's origin: the same artwork for the window and the desktop's icons.
void paintAppIcon(QPainter &p, qreal size);
QIcon glyph(Glyph which);
// A tool-bar glyph: drawn grey until the pointer is over its button.
QIcon toolBarGlyph(Glyph which);
// One tile of 390 x 298 pixels; transparent pixels let the client colour
// show through.
QImage backgroundTile();
} // namespace Artwork
