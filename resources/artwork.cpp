#include "artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
const QColor kMaroon(128, 0, 0);
const QColor kNavy(0, 0, 128);
const QColor kGold(200, 160, 40);
const QColor kPaper(250, 246, 232);

// An open book seen from the front, filling rect.
void drawBook(QPainter &p, const QRectF &r, const QColor &cover)
{
    const qreal mid = r.center().x();
    QPainterPath left;
    left.moveTo(mid, r.top() + r.height() * 0.18);
    left.cubicTo(mid - r.width() * 0.2, r.top() + r.height() * 0.05, r.left() + r.width() * 0.1,
                 r.top() + r.height() * 0.1, r.left(), r.top() + r.height() * 0.15);
    left.lineTo(r.left(), r.bottom() - r.height() * 0.05);
    left.cubicTo(r.left() + r.width() * 0.15, r.bottom() - r.height() * 0.12, mid - r.width() * 0.2,
                 r.bottom() - r.height() * 0.12, mid, r.bottom());
    left.closeSubpath();
    QTransform mirror;
    mirror.translate(2 * mid, 0);
    mirror.scale(-1, 1);
    const QPainterPath right = mirror.map(left);
    p.setPen(QPen(cover, qMax<qreal>(1.0, r.width() / 16)));
    p.setBrush(kPaper);
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(cover.lighter(160), qMax<qreal>(0.6, r.width() / 40)));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = r.top() + r.height() * (0.25 + 0.17 * i);
        p.drawLine(QPointF(r.left() + r.width() * 0.1, y), QPointF(mid - r.width() * 0.08, y + 1));
        p.drawLine(QPointF(mid + r.width() * 0.08, y + 1), QPointF(r.right() - r.width() * 0.1, y));
    }
}

QPixmap canvas(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap paintGlyph(Artwork::Glyph which, int s, bool enabled)
{
    QPixmap pixmap = canvas(s);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = enabled ? kNavy : QColor(150, 150, 150);
    const QColor accent = enabled ? kMaroon : QColor(170, 170, 170);
    const qreal u = s / 16.0;
    switch (which) {
    case Artwork::Glyph::OpenWindow:
        drawBook(p, QRectF(u, 3 * u, 11 * u, 10 * u), accent);
        p.setPen(QPen(ink, 2 * u));
        p.drawLine(QPointF(13 * u, 1 * u), QPointF(13 * u, 7 * u));
        p.drawLine(QPointF(10 * u, 4 * u), QPointF(16 * u, 4 * u));
        break;
    case Artwork::Glyph::FindVerses:
        p.setPen(QPen(ink, 1.8 * u));
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QRectF(1.5 * u, 1.5 * u, 9 * u, 9 * u));
        p.setPen(QPen(accent, 2.6 * u, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9.5 * u, 9.5 * u), QPointF(14.5 * u, 14.5 * u));
        break;
    case Artwork::Glyph::Copy:
        p.setPen(QPen(ink, u));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5 * u, 1.5 * u, 8 * u, 10 * u));
        p.setBrush(kPaper);
        p.drawRect(QRectF(6.5 * u, 4.5 * u, 8 * u, 10 * u));
        p.setPen(QPen(accent, 0.8 * u));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(8 * u, (7.5 + 2 * i) * u), QPointF(13 * u, (7.5 + 2 * i) * u));
        break;
    case Artwork::Glyph::Print:
        p.setPen(QPen(ink, u));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5 * u, 1.5 * u, 7 * u, 5 * u));
        p.setBrush(enabled ? QColor(190, 190, 200) : QColor(210, 210, 210));
        p.drawRoundedRect(QRectF(1.5 * u, 6.5 * u, 13 * u, 6 * u), u, u);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5 * u, 10.5 * u, 7 * u, 4 * u));
        p.setPen(Qt::NoPen);
        p.setBrush(accent);
        p.drawEllipse(QRectF(12 * u, 8 * u, 1.5 * u, 1.5 * u));
        break;
    case Artwork::Glyph::Options: {
        p.setPen(QPen(ink, 1.2 * u));
        for (int i = 0; i < 3; ++i) {
            const qreal y = (3.5 + 4.5 * i) * u;
            p.drawLine(QPointF(1.5 * u, y), QPointF(14.5 * u, y));
        }
        p.setBrush(accent);
        p.setPen(QPen(ink, 0.8 * u));
        const qreal xs[] = {5, 11, 7.5};
        for (int i = 0; i < 3; ++i)
            p.drawRoundedRect(QRectF((xs[i] - 1.5) * u, (1.5 + 4.5 * i) * u, 3 * u, 4 * u), u, u);
        break;
    }
    case Artwork::Glyph::PreviousChapter:
    case Artwork::Glyph::NextChapter: {
        QPainterPath arrow;
        arrow.moveTo(2 * u, 8 * u);
        arrow.lineTo(8 * u, 2 * u);
        arrow.lineTo(8 * u, 5.5 * u);
        arrow.lineTo(14 * u, 5.5 * u);
        arrow.lineTo(14 * u, 10.5 * u);
        arrow.lineTo(8 * u, 10.5 * u);
        arrow.lineTo(8 * u, 14 * u);
        arrow.closeSubpath();
        if (which == Artwork::Glyph::NextChapter) {
            QTransform mirror;
            mirror.translate(s, 0);
            mirror.scale(-1, 1);
            arrow = mirror.map(arrow);
        }
        p.setPen(QPen(ink, u));
        p.setBrush(enabled ? QColor(70, 110, 190) : QColor(200, 200, 200));
        p.drawPath(arrow);
        break;
    }
    case Artwork::Glyph::Dictionary:
        p.setPen(QPen(ink, u));
        p.setBrush(accent);
        p.drawRoundedRect(QRectF(2.5 * u, 1.5 * u, 11 * u, 13 * u), u, u);
        p.setPen(QPen(kGold, u));
        {
            QFont font(QStringLiteral("Liberation Serif"));
            font.setBold(true);
            font.setPixelSize(qMax(6, int(9 * u)));
            p.setFont(font);
        }
        p.drawText(QRectF(2.5 * u, 1.5 * u, 11 * u, 13 * u), Qt::AlignCenter, QStringLiteral("A"));
        break;
    case Artwork::Glyph::CommentaryMhc:
    case Artwork::Glyph::CommentaryJfb: {
        const QColor cover = which == Artwork::Glyph::CommentaryMhc ? accent : ink;
        p.setPen(QPen(cover, u));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3.5 * u, 1.5 * u, 10 * u, 13 * u));
        p.setBrush(cover);
        p.drawRect(QRectF(2 * u, 1.5 * u, 2.5 * u, 13 * u));
        p.setPen(QPen(cover.lighter(150), 0.8 * u));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(6 * u, (4.5 + 2.5 * i) * u), QPointF(12 * u, (4.5 + 2.5 * i) * u));
        break;
    }
    }
    return pixmap;
}
} // namespace

namespace Artwork {
void paintAppIcon(QPainter &p, qreal size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 32.0;
    drawBook(p, QRectF(2 * u, 8 * u, 28 * u, 21 * u), kMaroon);
    p.setPen(QPen(kGold, 2.2 * u, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16 * u, 1.5 * u), QPointF(16 * u, 11 * u));
    p.drawLine(QPointF(12.5 * u, 4.5 * u), QPointF(19.5 * u, 4.5 * u));
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pixmap = canvas(size);
        QPainter p(&pixmap);
        paintAppIcon(p, size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon glyph(Glyph which)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        icon.addPixmap(paintGlyph(which, size, true), QIcon::Normal);
        icon.addPixmap(paintGlyph(which, size, false), QIcon::Disabled);
    }
    return icon;
}

QIcon toolBarGlyph(Glyph which)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        icon.addPixmap(paintGlyph(which, size, false), QIcon::Normal);
        icon.addPixmap(paintGlyph(which, size, true), QIcon::Active);
        icon.addPixmap(paintGlyph(which, size, false), QIcon::Disabled);
    }
    return icon;
}

QImage backgroundTile()
{
    // A quiet pattern of faint open books on a transparent ground.
    QImage tile(390, 298, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    QPainter p(&tile);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(0.10);
    const QPointF places[] = {{40, 40}, {235, 20}, {140, 150}, {320, 170}, {30, 220}, {230, 250}};
    for (const QPointF &at : places)
        drawBook(p, QRectF(at, QSizeF(56, 40)), kNavy);
    return tile;
}
} // namespace Artwork
