#include "resultsgrid.h"

#include "app/plaintextdelegate.h"

#include <QHeaderView>
#include <QItemSelectionModel>

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
    setItemDelegate(new PlainTextDelegate(this));
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
