#include "resultsgrid.h"

#include "app/plaintextdelegate.h"
#include "search/keywordmatcher.h"

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
    // Moving through the results, a screen reader hears the whole row.
    if (role == Qt::AccessibleTextRole && index.isValid()) {
        const Row &row = m_rows.at(index.row());
        if (row[0].isEmpty())
            return {};
        return QStringLiteral("%1 %2:%3 %4").arg(row[0], row[1], row[2], row[3]);
    }
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

void ResultsGridModel::setKeywords(const QStringList &keywords, bool matchCase, bool wholeWords)
{
    m_keywords = keywords;
    m_matchCase = matchCase;
    m_wholeWords = wholeWords;
}

QVector<QPair<int, int>> ResultsGridModel::keywordSpans(int modelRow) const
{
    if (modelRow < 0 || modelRow >= m_rows.size())
        return {};
    return KeywordMatcher::spans(m_rows.at(modelRow)[3], m_keywords, m_matchCase, m_wholeWords);
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

namespace {

// The found words of a verse drawn in bold.
class ResultsDelegate : public PlainTextDelegate
{
public:
    using PlainTextDelegate::PlainTextDelegate;

protected:
    QList<QTextLayout::FormatRange> textFormats(const QModelIndex &index,
                                                const QString &text) const override
    {
        QList<QTextLayout::FormatRange> formats;
        const auto *model = qobject_cast<const ResultsGridModel *>(index.model());
        if (!model || index.column() != ResultsGridModel::kColumnCount - 1)
            return formats;
        for (const auto &span : model->keywordSpans(index.row())) {
            if (span.first >= text.size())
                break;
            QTextLayout::FormatRange range;
            range.start = span.first;
            range.length = int(qMin<qsizetype>(span.second, text.size())) - span.first;
            range.format.setFontWeight(QFont::Bold);
            formats.append(range);
        }
        return formats;
    }
};

} // namespace

ResultsGrid::ResultsGrid(QWidget *parent) : QTableView(parent), m_model(new ResultsGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new ResultsDelegate(this));
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
