#include "app/rtfwriter.h"

#include <QFont>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QVector>

#include <cmath>

namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kPointsPerInch = 72.0;
const QColor kWhite(255, 255, 255);

class Tables
{
public:
    int font(const QString &family)
    {
        int index = m_fonts.indexOf(family);
        if (index < 0) {
            index = m_fonts.size();
            m_fonts.append(family);
        }
        return index;
    }
    // Index 0 is the automatic colour.
    int colour(const QColor &colour)
    {
        if (!colour.isValid())
            return 0;
        const QRgb rgb = colour.rgb() & 0xFFFFFFu;
        int index = m_colours.indexOf(rgb);
        if (index < 0) {
            index = m_colours.size();
            m_colours.append(rgb);
        }
        return index + 1;
    }
    QByteArray fontTable() const
    {
        QByteArray out = "{\\fonttbl";
        for (int i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 " +
                   RtfWriter::escapeText(m_fonts.at(i)) + ";}";
        }
        return out + "}";
    }
    QByteArray colourTable() const
    {
        QByteArray out = "{\\colortbl ;";
        for (const QRgb rgb : m_colours) {
            out += "\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                   QByteArray::number(qGreen(rgb)) + "\\blue" + QByteArray::number(qBlue(rgb)) +
                   ";";
        }
        return out + "}";
    }

private:
    QStringList m_fonts;
    QVector<QRgb> m_colours;
};

class Writer
{
public:
    Writer(const QTextDocument &document, const RtfWriter::Options &options)
        : m_document(document), m_options(options)
    {
    }

    QByteArray run()
    {
        const QFont base = m_document.defaultFont();
        m_tables.font(base.family()); // \deff0
        if (m_options.background.isValid() && m_options.background.rgb() != kWhite.rgb())
            m_shading = m_tables.colour(m_options.background);

        QByteArray body;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
            if (block != m_document.begin())
                body += "\\par\n";
            body += paragraph(block);
        }
        return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1" + m_tables.fontTable() +
               m_tables.colourTable() + "\\viewkind4\n" + body + "}\n";
    }

private:
    int twips(double pixels) const
    {
        return int(std::lround(pixels * kTwipsPerInch / m_options.pixelsPerInch));
    }

    int halfPoints(const QFont &font) const
    {
        double points = font.pointSizeF();
        if (points <= 0 && font.pixelSize() > 0)
            points = font.pixelSize() * kPointsPerInch / m_options.pixelsPerInch;
        if (points <= 0)
            points = 12;
        return int(std::lround(points * 2));
    }

    QByteArray characterFormat(const QTextCharFormat &format)
    {
        const QFont font = format.font().resolve(m_document.defaultFont());
        QByteArray out = "\\plain\\f" + QByteArray::number(m_tables.font(font.family())) + "\\fs" +
                         QByteArray::number(halfPoints(font));
        QColor colour = m_options.defaultTextColor;
        if (format.foreground().style() != Qt::NoBrush)
            colour = format.foreground().color();
        const int colourIndex = m_tables.colour(colour);
        if (colourIndex)
            out += "\\cf" + QByteArray::number(colourIndex);
        if (format.background().style() != Qt::NoBrush)
            out += "\\chcbpat" + QByteArray::number(m_tables.colour(format.background().color()));
        if (font.bold())
            out += "\\b";
        if (font.italic())
            out += "\\i";
        if (font.underline())
            out += "\\ul";
        if (font.strikeOut())
            out += "\\strike";
        return out + " ";
    }

    QByteArray paragraphFormat(const QTextBlockFormat &format)
    {
        QByteArray out = "\\pard";
        switch (format.alignment() & Qt::AlignHorizontal_Mask) {
        case Qt::AlignHCenter:
            out += "\\qc";
            break;
        case Qt::AlignRight:
            out += "\\qr";
            break;
        case Qt::AlignJustify:
            out += "\\qj";
            break;
        default:
            out += "\\ql";
        }
        if (const int first = twips(format.textIndent()))
            out += "\\fi" + QByteArray::number(first);
        if (const int left = twips(format.leftMargin()))
            out += "\\li" + QByteArray::number(left);
        if (const int right = twips(format.rightMargin()))
            out += "\\ri" + QByteArray::number(right);
        if (const int before = twips(format.topMargin()))
            out += "\\sb" + QByteArray::number(before);
        if (const int after = twips(format.bottomMargin()))
            out += "\\sa" + QByteArray::number(after);
        if (m_shading)
            out += "\\cbpat" + QByteArray::number(m_shading);
        return out;
    }

    QByteArray paragraph(const QTextBlock &block)
    {
        // The paragraph mark takes the block's own format, which keeps the
        // height of an empty line.
        QByteArray out = paragraphFormat(block.blockFormat()) + characterFormat(block.charFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            out += "{" + characterFormat(fragment.charFormat()) +
                   RtfWriter::escapeText(fragment.text()) + "}";
        }
        return out;
    }

    const QTextDocument &m_document;
    const RtfWriter::Options &m_options;
    Tables m_tables;
    int m_shading = 0;
};
} // namespace

namespace RtfWriter {
QByteArray escapeText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        switch (u) {
        case '\\':
            out += "\\\\";
            break;
        case '{':
            out += "\\{";
            break;
        case '}':
            out += "\\}";
            break;
        case '\t':
            out += "\\tab ";
            break;
        case '\n':
        case 0x2028: // QChar::LineSeparator
            out += "\\line ";
            break;
        case 0x00A0:
            out += "\\~";
            break;
        case 0xFFFC: // an embedded object: not written
            break;
        default:
            if (u >= 0x20 && u < 0x80) {
                out += char(u);
            } else if (u < 0x20) {
                // Other control characters have no meaning in RTF text.
            } else {
                // Signed 16-bit, so characters above U+7FFF are negative;
                // each half of a surrogate pair goes out on its own.
                out += "\\u" + QByteArray::number(qint16(u)) + "?";
            }
        }
    }
    return out;
}

QByteArray write(const QTextDocument &document, const Options &options)
{
    return Writer(document, options).run();
}
} // namespace RtfWriter
