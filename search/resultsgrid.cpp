#include "resultsgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>

namespace {

// Draws a cell as the styled delegate does, with the text laid out once.
// The style lays a cell's text out three times (its size, the elision it
// does not apply, the drawing), and a verse is cut at the column's edge
// anyway. Plain left-to-right text on one line is therefore measured only up
// to that edge, the style draws the cell without it, and the text is laid
// out once and drawn where and how the style draws it.
class ClippedTextDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        if (!isPlain(opt)) {
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
            return;
        }
        const QString text = cutToCell(opt);
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        if (text.isEmpty())
            return;

        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget)
                                   .adjusted(margin, 0, -margin, 0);
        QTextOption textOption;
        textOption.setWrapMode(QTextOption::ManualWrap);
        textOption.setTextDirection(opt.direction);
        textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
        QTextLayout layout(text, opt.font);
        layout.setTextOption(textOption);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, 0));
        layout.endLayout();
        const QSize size(qRound(line.naturalTextWidth()), int(line.height()));
        const QPoint position = QStyle::alignedRect(opt.direction,
                                                    opt.displayAlignment & Qt::AlignVertical_Mask,
                                                    size, textRect)
                                    .topLeft();

        QPalette::ColorGroup group =
            opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
            group = QPalette::Inactive;
        painter->save();
        painter->setClipRect(opt.rect, Qt::IntersectClip);
        painter->setPen(opt.palette.color(group, opt.state & QStyle::State_Selected
                                                     ? QPalette::HighlightedText
                                                     : QPalette::Text));
        layout.draw(painter, position);
        painter->restore();
    }

private:
    // Plain left-to-right text on one line, drawn from the cell's left and
    // never elided, in a cell highlighted whole when selected: right-to-left,
    // joining or combining scripts, control characters and surrogates are
    // left to the style, whole, and so is the current cell, whose focus
    // frame fits the text.
    static bool isPlain(const QStyleOptionViewItem &opt)
    {
        if (!opt.showDecorationSelected || (opt.state & QStyle::State_HasFocus) ||
            (opt.features & (QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasDecoration |
                             QStyleOptionViewItem::HasCheckIndicator)) ||
            !(opt.features & QStyleOptionViewItem::HasDisplay) ||
            opt.textElideMode != Qt::ElideNone || opt.direction != Qt::LeftToRight ||
            (opt.state & QStyle::State_Editing) ||
            (opt.displayAlignment & Qt::AlignHorizontal_Mask & ~Qt::AlignLeft) != 0)
            return false;
        for (const QChar c : opt.text) {
            if (c.unicode() >= 0x0590 || c.unicode() < 0x20 ||
                c.category() == QChar::Mark_NonSpacing)
                return false;
        }
        return true;
    }

    // The text up to a little past the cell's right edge: drawn from the
    // cell's left, it shows exactly what the whole text would in the cell.
    static QString cutToCell(const QStyleOptionViewItem &opt)
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
};

} // namespace

ResultsGridModel::ResultsGridModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_rows.append(Row{});
}

int ResultsGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultsGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultsGridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_rows.at(index.row()).at(std::size_t(index.column()));
}

QVariant ResultsGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headings.value(section);
}

Qt::ItemFlags ResultsGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ResultsGridModel::setHeadings(const QStringList &headings)
{
    m_headings = headings;
    emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
}

QString ResultsGridModel::cell(int column, int gridRow) const
{
    if (column < 0 || column >= kColumnCount)
        return {};
    if (gridRow == 0)
        return m_headings.value(column);
    if (gridRow < 1 || gridRow > m_rows.size())
        return {};
    return m_rows.at(gridRow - 1).at(std::size_t(column));
}

void ResultsGridModel::clearToEmptyRow()
{
    beginResetModel();
    m_rows.clear();
    m_rows.append(Row{});
    endResetModel();
}

ResultsGridModel::Fill::Fill(ResultsGridModel &model) : m_model(model)
{
    m_model.beginResetModel();
    m_model.m_rows.clear();
}

ResultsGridModel::Fill::~Fill()
{
    if (!m_committed || m_model.m_rows.isEmpty()) {
        m_model.m_rows.clear();
        m_model.m_rows.append(Row{});
    }
    m_model.endResetModel();
}

ResultsGrid::ResultsGrid(QWidget *parent) : QTableView(parent), m_model(new ResultsGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new ClippedTextDelegate(this));
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    emit cellSelected(current.column(), current.row() + 1);
            });
    // The heading row is not a cell: a click there selects nothing, and a
    // double-click acts like one below the last row.
    horizontalHeader()->setSectionsClickable(false);
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            &ResultsGrid::gridDoubleClicked);
}

void ResultsGrid::reset()
{
    QTableView::reset();
    // The view would lay the new rows out from a timer, after their first
    // paint, and paint them all again; laid out now, they are painted once.
    executeDelayedItemsLayout();
}

void ResultsGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit gridDoubleClicked();
}
