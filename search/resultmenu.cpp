// The context menu of a search result: open it in a new reader, as a
// double-click does, or in the reader in use.
#include "search/formsearch.h"

#include "search/resultsgrid.h"

#include <QAction>
#include <QMenu>

// Design data of the result menu.
namespace {
struct Item
{
    const char *name;
    const char *caption;
};
const Item kOpenInNewReader = {"OpenInNewReader1", "Open in new reader"};
const Item kOpenInActiveReader = {"OpenInActiveReader1", "Open in active reader"};

QAction *addItem(QMenu *menu, const Item &item)
{
    QAction *action = menu->addAction(QString::fromLatin1(item.caption));
    action->setObjectName(QString::fromLatin1(item.name));
    return action;
}
} // namespace

void TFormSearch::openInActiveReader()
{
    const int row = SelectedRow;
    ResultsGrid *grid = StringGridResults;
    if (row <= 0 || row >= ResultBooks.size() || grid->cell(0, row).isEmpty())
        return;
    ReferenceParser::Reference reference;
    reference.Book = ResultBooks.at(row);
    reference.Chapter = grid->cell(1, row).toInt();
    reference.Verse = grid->cell(2, row).toInt();
    reference.LastVerse = reference.Verse;
    emit openInActiveReaderRequested(reference);
}

void TFormSearch::createResultMenu()
{
    ResultsGrid *grid = StringGridResults;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ResultPopupMenu"));
    connect(addItem(menu, kOpenInNewReader), &QAction::triggered, this,
            &TFormSearch::StringGridResultsDblClick);
    connect(addItem(menu, kOpenInActiveReader), &QAction::triggered, this,
            &TFormSearch::openInActiveReader);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [grid, menu](const QPoint &at) {
        // The menu acts on the result it was opened over.
        const QModelIndex index = grid->indexAt(at);
        if (index.isValid())
            grid->setCurrentIndex(index);
        menu->popup(grid->viewport()->mapToGlobal(at));
    });
}
