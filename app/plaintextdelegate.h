// An item delegate that draws a cell exactly as the styled delegate does,
// with its text laid out once instead of three times. Used by the lists that
// are refilled on every search or keystroke.
#pragma once

#include <QStyledItemDelegate>
#include <QTextLayout>

class PlainTextDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    // Formats for parts of a cell's text (text is the part that is drawn),
    // such as found words in bold; none by default.
    virtual QList<QTextLayout::FormatRange> textFormats(const QModelIndex &index,
                                                        const QString &text) const
    {
        Q_UNUSED(index);
        Q_UNUSED(text);
        return {};
    }
};
