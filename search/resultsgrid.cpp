#include "resultsgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>

namespace {

// Draws a cell as the styled delegate does, but hands the style only as much
// of a long text as can show in the cell. The style lays out the whole text
// several times for every cell it paints, though a verse is cut at the
// column's edge; measuring the characters up to that edge is far cheaper.
class ClippedTextDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        cutToCell(opt);
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    }

private:
    // Only plain left-to-right text on one line, drawn from the cell's left:
    // there a prefix that runs past the cell's right edge draws exactly what
    // the whole text would inside the cell.
    static void cutToCell(QStyleOptionViewItem &opt)
    {
        QString &text = opt.text;
        const int room = opt.rect.width();
        if (text.size() < 16 || (opt.features & QStyleOptionViewItem::WrapText) ||
            opt.direction != Qt::LeftToRight ||
            (opt.displayAlignment & Qt::AlignHorizontal_Mask & ~Qt::AlignLeft) != 0)
            return;
        const QFontMetrics &metrics = opt.fontMetrics;
        // Generous slack past the edge, for kerning and the text's margin.
        const int enough = room + room / 4 + 2 * metrics.height();
        int width = 0;
        qsizetype end = 0;
        while (end < text.size() && width <= enough) {
            const QChar c = text.at(end);
            // Right-to-left, joining or combining scripts, control characters
            // and surrogates: left as they are, whole.
            if (c.unicode() >= 0x0590 || c.unicode() < 0x20 ||
                c.category() == QChar::Mark_NonSpacing)
                return;
            width += metrics.horizontalAdvance(c);
            ++end;
        }
        if (end < text.size())
            text.truncate(end);
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

void ResultsGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    emit gridDoubleClicked();
}
