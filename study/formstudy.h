// The "Bookmarks and Notes" window: every bookmarked verse and every note,
// in book order or newest first, narrowed as the person types; a verse opens
// in a new reader on Enter or a double click.
#pragma once

#include "study/studystore.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QWidget>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

// The rows of the window: all entries read once, filtered by an index list,
// so that a hundred thousand of them narrow within a keystroke.
class StudyListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Order { BookOrder, DateOrder };
    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(QList<Study::Entry> entries);
    void setFilter(const QString &text);
    void setOrder(Order order);
    const Study::Entry &entryAt(int row) const;
    int totalCount() const { return int(m_entries.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void rebuild();

    QList<Study::Entry> m_entries;
    QStringList m_haystacks; // reference, label and note, case-folded
    QStringList m_dates;
    QList<int> m_byDate;
    QList<int> m_shown;
    QString m_filter;
    Order m_order = BookOrder;
};

class TFormStudy : public QWidget
{
    Q_OBJECT
public:
    explicit TFormStudy(StudyStore *store, QWidget *parent = nullptr);

    QLineEdit *EditFilter = nullptr;
    QComboBox *ComboBoxOrder = nullptr;
    QTreeView *ListEntries = nullptr;
    QPushButton *ButtonOpen = nullptr;
    QPushButton *ButtonRename = nullptr;
    QPushButton *ButtonNote = nullptr;
    QPushButton *ButtonDelete = nullptr;
    QPushButton *ButtonUndo = nullptr;
    QPushButton *ButtonExport = nullptr;
    QPushButton *ButtonImport = nullptr;
    QLabel *LabelCount = nullptr;

    StudyListModel *model() const { return m_model; }
    // The entry of the current row, if any.
    std::optional<Study::Entry> currentEntry() const;

public slots:
    void reload();
    void EditFilterChange();
    void ButtonOpenClick();
    void ButtonRenameClick();
    void ButtonNoteClick();
    void ButtonDeleteClick();
    void ButtonUndoClick();
    void ButtonExportClick();
    void ButtonImportClick();
    // Without the file dialog: the tests and the commands name the file.
    void exportTo(const QString &fileName);
    void importFrom(const QString &fileName);

signals:
    // The note of an entry, asked for with the Note button.
    void openNoteRequested(const VerseReference &place);

private:
    void createControls();
    void updateCount();

    QPointer<StudyStore> m_store;
    StudyListModel *m_model = nullptr;
    std::optional<Study::Entry> m_lastDeleted;
};
