#include "app/plaintextdelegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

// The style lays a cell's text out three times (its size, the elision, the
// drawing). Plain left-to-right text on one line is measured here only up to
// the cell's edge, the style draws the cell without it, and the text is laid
// out once and drawn where and how the style would draw it. Whatever this
// cannot match exactly is left to the style.

namespace {

// Plain left-to-right text on one line, drawn from the cell's left: right-to-
// left, joining or combining scripts, control characters and surrogates are
// left to the style, whole, and so are the current cell, whose focus frame
// fits the text, and a selected cell highlighted behind its text only.
bool isPlain(const QStyleOptionViewItem &opt)
{
    if ((opt.state & QStyle::State_HasFocus) ||
        ((opt.state & QStyle::State_Selected) && !opt.showDecorationSelected) ||
        (opt.features & (QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasDecoration |
                         QStyleOptionViewItem::HasCheckIndicator)) ||
        !(opt.features & QStyleOptionViewItem::HasDisplay) || opt.direction != Qt::LeftToRight ||
        (opt.state & QStyle::State_Editing) ||
        (opt.displayAlignment & Qt::AlignHorizontal_Mask & ~Qt::AlignLeft) != 0)
        return false;
    for (const QChar c : opt.text) {
        if (c.unicode() >= 0x0590 || c.unicode() < 0x20 || c.category() == QChar::Mark_NonSpacing)
            return false;
    }
    return true;
}

// The text up to a little past the cell's right edge: drawn from the cell's
// left, it shows exactly what the whole text would in the cell.
QString cutToCell(const QStyleOptionViewItem &opt)
{
    const QString &text = opt.text;
    const QFontMetrics &metrics = opt.fontMetrics;
    // Generous slack past the edge, for kerning and the text's margin.
    const int enough = opt.rect.width() + opt.rect.width() / 4 + 2 * metrics.height();
    int width = 0;
    qsizetype end = 0;
    while (end < text.size() && width <= enough)
        width += metrics.horizontalAdvance(text.at(end++));
    return text.left(end);
}

} // namespace

void PlainTextDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const auto styleDraws = [&] {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    };
    if (!isPlain(opt))
        return styleDraws();
    const QString text = cutToCell(opt);
    // A text the style would shorten with an ellipsis is the style's to draw.
    const bool elides = opt.textElideMode != Qt::ElideNone;
    if (elides && text.size() < opt.text.size())
        return styleDraws();

    QStyleOptionViewItem blank = opt;
    blank.text.clear();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &blank, widget)
                               .adjusted(margin, 0, -margin, 0);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(opt.direction);
    textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
    QTextLayout layout(text, opt.font);
    layout.setTextOption(textOption);
    layout.setFormats(textFormats(index, text));
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(textRect.width());
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    if (elides && line.naturalTextWidth() > textRect.width())
        return styleDraws();

    style->drawControl(QStyle::CE_ItemViewItem, &blank, painter, widget);
    if (text.isEmpty())
        return;
    const QSize size(qRound(line.naturalTextWidth()), int(line.height()));
    const QPoint position =
        QStyle::alignedRect(opt.direction, opt.displayAlignment & Qt::AlignVertical_Mask, size,
                            textRect)
            .topLeft();
    QPalette::ColorGroup group =
        opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->save();
    painter->setClipRect(opt.rect, Qt::IntersectClip);
    painter->setPen(opt.palette.color(
        group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, position);
    painter->restore();
}
