// An item delegate that draws a cell exactly as the styled delegate does,
// with its text laid out once instead of three times. Used by the lists that
// are refilled on every search or keystroke.
#pragma once

#include <QStyledItemDelegate>

class PlainTextDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};
