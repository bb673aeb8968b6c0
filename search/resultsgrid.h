// The results grid of the search window: a string grid of four columns
// whose row 0 is the heading row, drawn as the view's header, and whose
// rows from 1 on hold one result each. Cells are read-only text.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <QVector>

#include <array>

class ResultsGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumnCount = 4;
    using Row = std::array<QString, kColumnCount>;

    explicit ResultsGridModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setHeadings(const QStringList &headings);
    // Grid rows count the heading row: 2 is the heading and one empty row.
    int gridRowCount() const { return 1 + int(m_rows.size()); }
    QString cell(int column, int gridRow) const;
    // Cuts the grid to the heading and one empty row.
    void clearToEmptyRow();
    // The keywords the text column shows in bold.
    void setKeywords(const QStringList &keywords, bool matchCase, bool wholeWords);
    // Character ranges of a row's verse text that hold a keyword.
    QVector<QPair<int, int>> keywordSpans(int modelRow) const;

    // Lays a whole result in as one model reset, so the view relayouts once
    // however many rows arrive. Unless committed, the grid falls back to the
    // heading and one empty row.
    class Fill
    {
    public:
        explicit Fill(ResultsGridModel &model);
        ~Fill();
        Fill(const Fill &) = delete;
        Fill &operator=(const Fill &) = delete;
        void append(Row &&row) { m_model.m_rows.append(std::move(row)); }
        void commit() { m_committed = true; }

    private:
        ResultsGridModel &m_model;
        bool m_committed = false;
    };

private:
    QStringList m_headings;
    QVector<Row> m_rows;
    QStringList m_keywords;
    bool m_matchCase = false;
    bool m_wholeWords = false;
};

class ResultsGrid : public QTableView
{
    Q_OBJECT
public:
    explicit ResultsGrid(QWidget *parent = nullptr);

    ResultsGridModel *gridModel() const { return m_model; }
    int rowCount() const { return m_model->gridRowCount(); }
    QString cell(int column, int gridRow) const { return m_model->cell(column, gridRow); }

    void reset() override;

signals:
    // A double-click anywhere in the grid, on a cell or not.
    void gridDoubleClicked();
    // The current cell moved, by mouse or keyboard (row counted as in the grid).
    void cellSelected(int column, int gridRow);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    ResultsGridModel *m_model;
};
