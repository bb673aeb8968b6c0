// The main window's way to a typed reference: the box in the tool bar and
// the reader that shows what was typed.

#include "app/formmain.h"

#include "app/application.h"
#include "app/pendingreference.h"
#include "app/referencebox.h"
#include "reader/formbook.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextEdit>
#include <QToolBar>

namespace {
// A screen reader names the bar by this instead of its section caption.
const char *const kToolBarAccessibleName = "Main tool bar";

// Qt names a tool bar by its caption whatever name it was given; this bar
// is heard by the name it was given.
QAccessibleInterface *namedToolBarAccessible(const QString &className, QObject *object)
{
    auto *bar = qobject_cast<QToolBar *>(object);
    if (className != QLatin1String("QToolBar") || !bar || bar->accessibleName().isEmpty())
        return nullptr;
    return new QAccessibleWidget(bar, QAccessible::ToolBar, bar->accessibleName());
}
} // namespace

void TFormMain::createReferenceBox()
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(namedToolBarAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    SpeedBar1->setAccessibleName(QString::fromLatin1(kToolBarAccessibleName));
    SpeedBar1->addSeparator();
    ReferenceBox1 = new ReferenceBox(SpeedBar1);
    SpeedBar1->addWidget(ReferenceBox1);
    connect(ReferenceBox1, &ReferenceBox::referenceChosen, this, &TFormMain::openReference);
    connect(ReferenceBox1, &ReferenceBox::escaped, this, [this] {
        if (TFormBook *reader = activeReader())
            reader->RxRichEdit1->setFocus(Qt::ShortcutFocusReason);
    });
    connect(SpeedBar1, &QToolBar::orientationChanged, ReferenceBox1, &ReferenceBox::setOrientation);
}

void TFormMain::GoToReference1Click()
{
    // A bar dragged out of sight comes back where the key can reach it.
    SpeedBar1->show();
    ReferenceBox1->focusBox();
}

void TFormMain::openReference(const ReferenceParser::Reference &reference, bool newReader)
{
    try {
        TFormBook *reader = nullptr;
        QMdiSubWindow *window = nullptr;
        if (!newReader) {
            // The reader in front, or the one used last when a search or
            // dictionary window is in front of it.
            const QList<QMdiSubWindow *> windows = childrenByRecency();
            for (auto it = windows.crbegin(); it != windows.crend() && !reader; ++it) {
                reader = qobject_cast<TFormBook *>((*it)->widget());
                window = *it;
            }
        }
        if (reader) {
            m_mdiArea->setActiveSubWindow(window);
            reader->goTo(reference.Book, reference.Chapter, reference.Verse);
        } else {
            Open1Click(VerseReference{reference.Book, reference.Chapter, reference.Verse});
            reader = activeReader();
        }
        if (!reader)
            return;
        if (reference.isRange())
            reader->markVerses(reference.Verse, reference.LastVerse);
        reader->RxRichEdit1->setFocus();
    } catch (const std::exception &error) {
        ErrorReport::show(error);
    }
}
