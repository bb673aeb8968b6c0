// Rich Text Format from a QTextDocument, which Qt cannot write itself: fonts,
// sizes, colours, bold, italic, underline, strike-out, alignment, indents,
// paragraph breaks and the reading background.
#pragma once

#include <QByteArray>
#include <QColor>

class QTextDocument;

namespace RtfWriter {
struct Options
{
    // The page colour behind the text. Written as paragraph shading
    // (\cbpat) on every paragraph, which Word and LibreOffice Writer both
    // show; left out when invalid or white.
    QColor background;
    // The colour of text whose format names none (the editor's palette).
    // Invalid: the word processor's automatic colour.
    QColor defaultTextColor;
    // Turns pixel font sizes and indents into points and twips.
    double pixelsPerInch = 96.0;
};

// The whole document as RTF (7-bit ASCII; other characters as \uN? escapes).
QByteArray write(const QTextDocument &document, const Options &options = Options());
// Backslash, braces and non-ASCII characters escaped for RTF text.
QByteArray escapeText(const QString &text);
} // namespace RtfWriter
