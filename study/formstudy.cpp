#include "formstudy.h"

#include "app/application.h"
#include "app/busycursor.h"
#include "app/pendingreference.h"
#include "study/studyexchange.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

// Design data of the window.
namespace {
const char *const kCaption = "Bookmarks and Notes";
const QSize kLayoutSize(560, 380);
const char *const kColumns[] = {"Reference", "Label", "Note", "Date"};
const int kColumnWidths[] = {130, 140, 190, 80};
const char *const kOrders[] = {"Book order", "Newest first"};
const int kNoteColumnLength = 120;
const char *const kExchangeFilters = "Kelvaro study file (*.json);;Web page for reading (*.html)";

struct ButtonDesign
{
    QPushButton *TFormStudy::*button;
    const char *name;
    const char *caption;
    QKeySequence shortcut;
    void (TFormStudy::*handler)();
};
const ButtonDesign kButtons[] = {
    {&TFormStudy::ButtonOpen, "ButtonOpen", "&Open", QKeySequence(), &TFormStudy::ButtonOpenClick},
    {&TFormStudy::ButtonRename, "ButtonRename", "&Rename...", QKeySequence(Qt::Key_F2),
     &TFormStudy::ButtonRenameClick},
    {&TFormStudy::ButtonNote, "ButtonNote", "N&ote...", QKeySequence(),
     &TFormStudy::ButtonNoteClick},
    {&TFormStudy::ButtonDelete, "ButtonDelete", "&Delete", QKeySequence(Qt::Key_Delete),
     &TFormStudy::ButtonDeleteClick},
    {&TFormStudy::ButtonUndo, "ButtonUndo", "&Undo Delete", QKeySequence(Qt::CTRL | Qt::Key_Z),
     &TFormStudy::ButtonUndoClick},
    {&TFormStudy::ButtonExport, "ButtonExport", "&Export...", QKeySequence(),
     &TFormStudy::ButtonExportClick},
    {&TFormStudy::ButtonImport, "ButtonImport", "&Import...", QKeySequence(),
     &TFormStudy::ButtonImportClick},
};

// One line, control characters blanked: a note's first words in a cell.
QString cellText(const QString &text, int length)
{
    QString line = text.left(length);
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    line = line.simplified();
    return text.size() > length ? line + QStringLiteral("...") : line;
}

QString dateOf(const Study::Entry &entry)
{
    return qMax(entry.created, entry.noteModified);
}

} // namespace

void StudyListModel::setEntries(QList<Study::Entry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_haystacks.clear();
    m_haystacks.reserve(m_entries.size());
    m_dates.clear();
    m_dates.reserve(m_entries.size());
    for (const Study::Entry &entry : std::as_const(m_entries)) {
        m_haystacks.append((Study::referenceText(entry.place) + QLatin1Char('\n') + entry.label +
                            QLatin1Char('\n') + entry.note)
                               .toCaseFolded());
        m_dates.append(dateOf(entry));
    }
    m_byDate.resize(m_entries.size());
    std::iota(m_byDate.begin(), m_byDate.end(), 0);
    std::stable_sort(m_byDate.begin(), m_byDate.end(),
                     [this](int a, int b) { return m_dates.at(a) > m_dates.at(b); });
    rebuild();
    endResetModel();
}

void StudyListModel::setFilter(const QString &text)
{
    const QString filter = text.trimmed().toCaseFolded();
    if (filter == m_filter)
        return;
    beginResetModel();
    if (!m_filter.isEmpty() && filter.contains(m_filter)) {
        // Typing on narrows: only the rows still shown can match.
        QList<int> kept;
        for (int at : std::as_const(m_shown)) {
            if (m_haystacks.at(at).contains(filter))
                kept.append(at);
        }
        m_shown = std::move(kept);
        m_filter = filter;
    } else {
        m_filter = filter;
        rebuild();
    }
    endResetModel();
}

void StudyListModel::setOrder(Order order)
{
    beginResetModel();
    m_order = order;
    rebuild();
    endResetModel();
}

void StudyListModel::rebuild()
{
    m_shown.clear();
    const int count = int(m_entries.size());
    for (int i = 0; i < count; ++i) {
        const int at = m_order == DateOrder ? m_byDate.at(i) : i;
        if (m_filter.isEmpty() || m_haystacks.at(at).contains(m_filter))
            m_shown.append(at);
    }
}

const Study::Entry &StudyListModel::entryAt(int row) const
{
    return m_entries.at(m_shown.at(row));
}

int StudyListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int StudyListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(std::size(kColumns));
}

QVariant StudyListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size())
        return QVariant();
    const Study::Entry &entry = entryAt(index.row());
    // A listener hears that a cell is empty rather than nothing at all.
    if (role == Qt::AccessibleTextRole && index.column() == 1 && entry.label.isEmpty())
        return QStringLiteral("no label");
    if (role == Qt::AccessibleTextRole && index.column() == 2 && entry.note.isEmpty())
        return QStringLiteral("no note");
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        switch (index.column()) {
        case 0:
            return Study::referenceText(entry.place);
        case 1:
            return cellText(entry.label, kNoteColumnLength);
        case 2:
            return cellText(entry.note, kNoteColumnLength);
        case 3:
            return dateOf(entry).left(10);
        }
    }
    if (role == Qt::ToolTipRole && index.column() == 2 && !entry.note.isEmpty())
        return cellText(entry.note, 1000);
    return QVariant();
}

QVariant StudyListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < int(std::size(kColumns)))
        return QString::fromLatin1(kColumns[section]);
    return QVariant();
}

TFormStudy::TFormStudy(StudyStore *store, QWidget *parent) : QWidget(parent), m_store(store)
{
    setObjectName(QStringLiteral("FormStudy"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kCaption));
    resize(kLayoutSize);
    createControls();
    connect(m_store, &StudyStore::changed, this, &TFormStudy::reload);
    reload();
}

void TFormStudy::createControls()
{
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *findLabel = new QLabel(QStringLiteral("&Find:"), this);
    EditFilter = new QLineEdit(this);
    EditFilter->setObjectName(QStringLiteral("EditFilter"));
    EditFilter->setClearButtonEnabled(true);
    findLabel->setBuddy(EditFilter);
    auto *orderLabel = new QLabel(QStringLiteral("&Sort:"), this);
    ComboBoxOrder = new QComboBox(this);
    ComboBoxOrder->setObjectName(QStringLiteral("ComboBoxOrder"));
    for (const char *order : kOrders)
        ComboBoxOrder->addItem(QString::fromLatin1(order));
    orderLabel->setBuddy(ComboBoxOrder);
    ComboBoxOrder->setAccessibleName(QStringLiteral("Sort"));
    top->addWidget(findLabel);
    top->addWidget(EditFilter, 1);
    top->addWidget(orderLabel);
    top->addWidget(ComboBoxOrder);
    layout->addLayout(top);

    m_model = new StudyListModel(this);
    ListEntries = new QTreeView(this);
    ListEntries->setObjectName(QStringLiteral("ListEntries"));
    ListEntries->setAccessibleName(QString::fromLatin1(kCaption));
    ListEntries->setRootIsDecorated(false);
    ListEntries->setUniformRowHeights(true);
    ListEntries->setAllColumnsShowFocus(true);
    ListEntries->setSelectionMode(QAbstractItemView::SingleSelection);
    ListEntries->setModel(m_model);
    for (int i = 0; i < int(std::size(kColumnWidths)); ++i)
        ListEntries->setColumnWidth(i, kColumnWidths[i]);
    layout->addWidget(ListEntries, 1);

    auto *buttons = new QHBoxLayout;
    for (const ButtonDesign &design : kButtons) {
        auto *button = new QPushButton(QString::fromUtf8(design.caption), this);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, design.handler);
        if (!design.shortcut.isEmpty()) {
            auto *key = new QShortcut(design.shortcut, ListEntries);
            key->setContext(Qt::WidgetShortcut);
            connect(key, &QShortcut::activated, this, design.handler);
        }
        buttons->addWidget(button);
        this->*(design.button) = button;
    }
    layout->addLayout(buttons);
    LabelCount = new QLabel(this);
    LabelCount->setObjectName(QStringLiteral("LabelCount"));
    layout->addWidget(LabelCount);

    connect(EditFilter, &QLineEdit::textChanged, this, &TFormStudy::EditFilterChange);
    // Enter in the filter opens the first verse that is left.
    connect(EditFilter, &QLineEdit::returnPressed, this, [this] {
        if (m_model->rowCount() > 0 && !ListEntries->currentIndex().isValid())
            ListEntries->setCurrentIndex(m_model->index(0, 0));
        ButtonOpenClick();
    });
    connect(ComboBoxOrder, &QComboBox::activated, this, [this](int order) {
        m_model->setOrder(StudyListModel::Order(order));
        updateCount();
    });
    connect(ListEntries, &QAbstractItemView::activated, this, &TFormStudy::ButtonOpenClick);
}

std::optional<Study::Entry> TFormStudy::currentEntry() const
{
    const QModelIndex index = ListEntries->currentIndex();
    if (!index.isValid() || index.row() >= m_model->rowCount())
        return std::nullopt;
    return m_model->entryAt(index.row());
}

void TFormStudy::reload()
{
    ErrorReport::guard([this] {
        QList<Study::Entry> shown;
        if (m_store) {
            // Highlights alone are the reader's business, not this list's.
            for (const Study::Entry &entry : m_store->entries()) {
                if (entry.bookmarked || !entry.note.isEmpty())
                    shown.append(entry);
            }
        }
        const std::optional<Study::Entry> current = currentEntry();
        m_model->setEntries(std::move(shown));
        if (current) {
            for (int row = 0; row < m_model->rowCount(); ++row) {
                if (Study::keyOf(m_model->entryAt(row).place) == Study::keyOf(current->place)) {
                    ListEntries->setCurrentIndex(m_model->index(row, 0));
                    break;
                }
            }
        }
        updateCount();
    });
}

void TFormStudy::updateCount()
{
    LabelCount->setText(
        QStringLiteral("%1 of %2").arg(m_model->rowCount()).arg(m_model->totalCount()));
    ButtonUndo->setEnabled(m_lastDeleted.has_value());
}

void TFormStudy::EditFilterChange()
{
    m_model->setFilter(EditFilter->text());
    updateCount();
}

void TFormStudy::ButtonOpenClick()
{
    const std::optional<Study::Entry> entry = currentEntry();
    ReaderHandOff *handOff = ReaderHandOff::of(this);
    if (!entry || !handOff)
        return;
    ErrorReport::guard([&] { handOff->OpenBookRequest(entry->place); });
}

void TFormStudy::ButtonRenameClick()
{
    const std::optional<Study::Entry> entry = currentEntry();
    if (!entry || !m_store)
        return;
    bool ok = false;
    const QString label = QInputDialog::getText(
        this, QStringLiteral("Rename Bookmark"),
        QStringLiteral("Label for %1:").arg(Study::referenceText(entry->place)), QLineEdit::Normal,
        entry->label, &ok);
    if (ok)
        ErrorReport::guard([&] { m_store->setBookmark(entry->place, label); });
}

void TFormStudy::ButtonNoteClick()
{
    if (const std::optional<Study::Entry> entry = currentEntry())
        ErrorReport::guard([&] { emit openNoteRequested(entry->place); });
}

void TFormStudy::ButtonDeleteClick()
{
    const std::optional<Study::Entry> entry = currentEntry();
    if (!entry || !m_store)
        return;
    const int row = ListEntries->currentIndex().row();
    ErrorReport::guard([&] {
        m_store->removeBookmarkAndNote(entry->place);
        Study::Entry kept = *entry;
        kept.highlight = 0;
        m_lastDeleted = kept;
    });
    if (m_model->rowCount() > 0)
        ListEntries->setCurrentIndex(m_model->index(qMin(row, m_model->rowCount() - 1), 0));
    updateCount();
}

void TFormStudy::ButtonUndoClick()
{
    if (!m_lastDeleted || !m_store)
        return;
    ErrorReport::guard([this] {
        m_store->restore(*m_lastDeleted);
        m_lastDeleted.reset();
    });
    updateCount();
}

void TFormStudy::ButtonExportClick()
{
    QString filter;
    QString fileName = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Bookmarks and Notes"),
        QStringLiteral("Bookmarks and Notes.json"), QString::fromLatin1(kExchangeFilters), &filter);
    if (fileName.isEmpty())
        return;
    // A name without an extension takes the one of the type picked.
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += filter.contains(QLatin1String("html")) ? QStringLiteral(".html")
                                                           : QStringLiteral(".json");
    exportTo(fileName);
}

void TFormStudy::ButtonImportClick()
{
    const QString fileName =
        QFileDialog::getOpenFileName(this, QStringLiteral("Import Bookmarks and Notes"), QString(),
                                     QStringLiteral("Kelvaro study file (*.json);;All files (*)"));
    if (!fileName.isEmpty())
        importFrom(fileName);
}

void TFormStudy::exportTo(const QString &fileName)
{
    if (m_store)
        ErrorReport::guard([&] {
            BusyCursor busy;
            StudyExchange::exportFile(*m_store, fileName);
        });
}

void TFormStudy::importFrom(const QString &fileName)
{
    if (!m_store)
        return;
    ErrorReport::guard([&] {
        Study::MergeCounts counts;
        {
            BusyCursor busy;
            counts = StudyExchange::importFile(*m_store, fileName);
        }
        ErrorReport::information(
            this, QStringLiteral("Imported from %1: %2 bookmarks, %3 notes, %4 highlights; %5 "
                                 "verses were already here.")
                      .arg(QDir::toNativeSeparators(fileName))
                      .arg(counts.bookmarks)
                      .arg(counts.notes)
                      .arg(counts.highlights)
                      .arg(counts.unchanged));
    });
}
