#include "resultmenu.h"

#include "app/formmain.h"
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

void openInActiveReader(TFormSearch *form)
{
    const int row = form->SelectedRow;
    ResultsGrid *grid = form->StringGridResults;
    TFormMain *main = TFormMain::instance();
    if (!main || row <= 0 || row >= form->ResultBooks.size() || grid->cell(0, row).isEmpty())
        return;
    ReferenceParser::Reference reference;
    reference.Book = form->ResultBooks.at(row);
    reference.Chapter = grid->cell(1, row).toInt();
    reference.Verse = grid->cell(2, row).toInt();
    reference.LastVerse = reference.Verse;
    main->openReference(reference, false);
}
} // namespace

namespace ResultMenu {
void attach(TFormSearch *form)
{
    ResultsGrid *grid = form->StringGridResults;
    auto *menu = new QMenu(form);
    menu->setObjectName(QStringLiteral("ResultPopupMenu"));
    QObject::connect(addItem(menu, kOpenInNewReader), &QAction::triggered, form,
                     &TFormSearch::StringGridResultsDblClick);
    QObject::connect(addItem(menu, kOpenInActiveReader), &QAction::triggered, form,
                     [form] { openInActiveReader(form); });
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(grid, &QWidget::customContextMenuRequested, form,
                     [grid, menu](const QPoint &at) {
                         // The menu acts on the result it was opened over.
                         const QModelIndex index = grid->indexAt(at);
                         if (index.isValid())
                             grid->setCurrentIndex(index);
                         menu->popup(grid->viewport()->mapToGlobal(at));
                     });
}
} // namespace ResultMenu
