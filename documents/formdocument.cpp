#include "documents/formdocument.h"

#include "app/application.h"
#include "app/busycursor.h"
#include "app/clientarea.h"
#include "app/referenceurl.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

// Design of the window.
namespace {
const QSize kSize(560, 440);
struct KindDesign
{
    const char *name;
    const char *caption;
};
// Indexed by TFormDocument::Kind.
const KindDesign kKinds[] = {
    {"FormDocumentDictionary", "Easton's Bible Dictionary"},
    {"FormDocumentCommentary", "Commentary"},
    {"FormDocumentHelp", "Kelvaro Help"},
};
// The tool bar's commands, in order, with their keys (Ctrl++ also as
// Ctrl+=, see eventFilter).
struct ActionDesign
{
    QAction *TFormDocument::*action;
    const char *name;
    const char *caption;
    QKeyCombination key;
    void (TFormDocument::*handler)();
};
const ActionDesign kActions[] = {
    {&TFormDocument::Back1, "Back1", "&Back", Qt::ALT | Qt::Key_Left, &TFormDocument::Back1Click},
    {&TFormDocument::Forward1, "Forward1", "&Forward", Qt::ALT | Qt::Key_Right,
     &TFormDocument::Forward1Click},
    {&TFormDocument::Find1, "Find1", "Find", Qt::CTRL | Qt::Key_F, &TFormDocument::Find1Click},
    {&TFormDocument::ZoomOut1, "ZoomOut1", "Smaller", Qt::CTRL | Qt::Key_Minus,
     &TFormDocument::ZoomOut1Click},
    {&TFormDocument::ZoomIn1, "ZoomIn1", "Larger", Qt::CTRL | Qt::Key_Plus,
     &TFormDocument::ZoomIn1Click},
    {&TFormDocument::Copy1, "Copy1", "&Copy", Qt::CTRL | Qt::Key_C, &TFormDocument::Copy1Click},
    {&TFormDocument::Print1, "Print1", "&Print...", Qt::CTRL | Qt::Key_P,
     &TFormDocument::Print1Click},
};
const char *const kFindPlaceholder = "Find in this page";
const char *const kNotFound = "Not found";
const int kFindWidth = 160;
const char *const kNoBrowser = "No web browser could be started to open %1.";

// Folders of the program folder and the kind of their documents.
struct FolderKind
{
    const char *folder;
    TFormDocument::Kind kind;
};
const FolderKind kFolders[] = {
    {"ebd", TFormDocument::Kind::Dictionary},
    {"mhc", TFormDocument::Kind::Commentary},
    {"jfb", TFormDocument::Kind::Commentary},
};

const KindDesign &design(TFormDocument::Kind kind)
{
    return kKinds[static_cast<int>(kind)];
}

// Windows outside a main window (tests, or before it exists), one per kind.
QPointer<TFormDocument> g_loose[3];
} // namespace

TFormDocument::TFormDocument(Kind kind, QWidget *parent) : QWidget(parent), m_kind(kind)
{
    setObjectName(QLatin1String(design(kind).name));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kSize);

    BrowserDocument = new QTextBrowser(this);
    BrowserDocument->setObjectName(QStringLiteral("BrowserDocument"));
    // Links are followed here: a verse link has no page to load.
    BrowserDocument->setOpenLinks(false);
    BrowserDocument->setOpenExternalLinks(false);
    // Tab walks the links, Enter follows the focused one, and the text can
    // be selected from the keyboard, as a screen reader's user expects.
    BrowserDocument->setTextInteractionFlags(Qt::TextBrowserInteraction |
                                             Qt::TextSelectableByKeyboard);
    BrowserDocument->installEventFilter(this);
    connect(BrowserDocument, &QTextBrowser::anchorClicked, this,
            &TFormDocument::BrowserDocumentAnchorClicked);
    connect(BrowserDocument, &QTextBrowser::sourceChanged, this, &TFormDocument::updateCaption);

    ToolBarDocument = new QToolBar(this);
    ToolBarDocument->setObjectName(QStringLiteral("ToolBarDocument"));
    ToolBarDocument->setToolButtonStyle(Qt::ToolButtonTextOnly);
    EditFind = new QLineEdit(this);
    EditFind->setObjectName(QStringLiteral("EditFind"));
    EditFind->setPlaceholderText(QString::fromLatin1(kFindPlaceholder));
    EditFind->setAccessibleName(QString::fromLatin1(kFindPlaceholder));
    EditFind->setClearButtonEnabled(true);
    EditFind->setMaximumWidth(kFindWidth);
    EditFind->installEventFilter(this);
    LabelFound = new QLabel(this);
    LabelFound->setObjectName(QStringLiteral("LabelFound"));
    createActions();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBarDocument);
    layout->addWidget(BrowserDocument, 1);
    setFocusProxy(BrowserDocument);
    updateCaption();
}

void TFormDocument::createActions()
{
    for (const ActionDesign &item : kActions) {
        const QKeySequence shortcut(item.key);
        auto *action = new QAction(QString::fromLatin1(item.caption), this);
        action->setObjectName(QLatin1String(item.name));
        // The keys are taken by the window's own filter, ahead of the main
        // window's menu, which has Ctrl+F, Ctrl+C and Ctrl+P of its own.
        action->setToolTip(
            QStringLiteral("%1 (%2)").arg(QString(item.caption).remove(QLatin1Char('&')),
                                          shortcut.toString(QKeySequence::NativeText)));
        action->setData(shortcut);
        connect(action, &QAction::triggered, this, item.handler);
        this->*(item.action) = action;
    }
    ToolBarDocument->addAction(Back1);
    ToolBarDocument->addAction(Forward1);
    ToolBarDocument->addSeparator();
    ToolBarDocument->addWidget(EditFind);
    ToolBarDocument->addAction(Find1);
    ToolBarDocument->addWidget(LabelFound);
    ToolBarDocument->addSeparator();
    ToolBarDocument->addAction(ZoomOut1);
    ToolBarDocument->addAction(ZoomIn1);
    ToolBarDocument->addSeparator();
    ToolBarDocument->addAction(Copy1);
    ToolBarDocument->addAction(Print1);
    Back1->setEnabled(false);
    Forward1->setEnabled(false);
    connect(BrowserDocument, &QTextBrowser::backwardAvailable, Back1, &QAction::setEnabled);
    connect(BrowserDocument, &QTextBrowser::forwardAvailable, Forward1, &QAction::setEnabled);
    connect(EditFind, &QLineEdit::textChanged, LabelFound, &QLabel::clear);
}

TFormDocument::Kind TFormDocument::kindOf(const QString &fullPath)
{
    const QString folder = QFileInfo(QDir::fromNativeSeparators(fullPath)).dir().dirName();
    for (const FolderKind &entry : kFolders)
        if (folder.compare(QLatin1String(entry.folder), Qt::CaseInsensitive) == 0)
            return entry.kind;
    return Kind::Help;
}

TFormDocument *TFormDocument::windowOf(Kind kind, const ClientArea *area)
{
    if (area)
        return area->find<TFormDocument>(
            [kind](const TFormDocument *document) { return document->kind() == kind; });
    return g_loose[static_cast<int>(kind)];
}

TFormDocument *TFormDocument::showDocument(const QUrl &url, ClientArea *area)
{
    return showDocument(kindOf(url.toLocalFile()), url, area);
}

TFormDocument *TFormDocument::showDocument(Kind kind, const QUrl &url, ClientArea *area)
{
    TFormDocument *document = windowOf(kind, area);
    if (!document) {
        document = new TFormDocument(kind);
        document->setSource(url);
        if (area) {
            QMdiSubWindow *frame = area->openChild(document);
            // Within the client area, however small the main window is.
            const QSize size = area->mdiArea()->viewport()->size();
            if (!size.isEmpty()) {
                frame->resize(frame->size().boundedTo(size));
                frame->move(qBound(0, frame->x(), size.width() - frame->width()),
                            qBound(0, frame->y(), size.height() - frame->height()));
            }
        } else {
            g_loose[static_cast<int>(kind)] = document;
            document->show();
        }
    } else {
        document->setSource(url);
        if (area) {
            if (auto *frame = qobject_cast<QMdiSubWindow *>(document->parentWidget())) {
                if (frame->isMinimized())
                    frame->showNormal();
            }
            area->activate(document);
        } else {
            document->raise();
            document->activateWindow();
        }
    }
    document->BrowserDocument->setFocus();
    return document;
}

void TFormDocument::setSource(const QUrl &url)
{
    BusyCursor busy;
    BrowserDocument->setSource(url);
    updateCaption();
}

void TFormDocument::updateCaption()
{
    const QString title = BrowserDocument->documentTitle();
    const QString kindCaption = QString::fromLatin1(design(m_kind).caption);
    setWindowTitle(title.isEmpty() || title == kindCaption
                       ? kindCaption
                       : kindCaption + QStringLiteral(" - ") + title);
    // A screen reader names the text by the page it shows, as the reader's
    // text is named by its chapter.
    BrowserDocument->setAccessibleName(windowTitle());
}

void TFormDocument::Back1Click()
{
    BrowserDocument->backward();
}

void TFormDocument::Forward1Click()
{
    BrowserDocument->forward();
}

void TFormDocument::Find1Click()
{
    if (!EditFind->hasFocus() || EditFind->text().isEmpty()) {
        EditFind->setFocus(Qt::ShortcutFocusReason);
        EditFind->selectAll();
        return;
    }
    FindNext();
}

bool TFormDocument::FindNext(bool backward)
{
    const QString text = EditFind->text();
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = BrowserDocument->find(text, flags);
    if (!found) {
        // Round the end of the page once.
        QTextCursor cursor = BrowserDocument->textCursor();
        cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        BrowserDocument->setTextCursor(cursor);
        found = BrowserDocument->find(text, flags);
    }
    LabelFound->setText(found ? QString() : QString::fromLatin1(kNotFound));
    return found;
}

void TFormDocument::ZoomIn1Click()
{
    BrowserDocument->zoomIn();
}

void TFormDocument::ZoomOut1Click()
{
    BrowserDocument->zoomOut();
}

void TFormDocument::Copy1Click()
{
    BrowserDocument->copy();
}

void TFormDocument::Print1Click()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (BrowserDocument->textCursor().hasSelection())
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() != QDialog::Accepted)
        return;
    printTo(&printer);
}

void TFormDocument::printTo(QPrinter *printer)
{
    BusyCursor busy;
    printer->setDocName(windowTitle());
    BrowserDocument->print(printer);
}

void TFormDocument::BrowserDocumentAnchorClicked(const QUrl &link)
{
    const QUrl url = BrowserDocument->source().resolved(link);
    if (url.scheme().compare(ReferenceUrl::scheme(), Qt::CaseInsensitive) == 0) {
        emit verseLinkClicked(link.toString());
        return;
    }
    if (url.isLocalFile()) {
        // Another kind of document goes to the window of its kind.
        const Kind kind = kindOf(url.toLocalFile());
        ClientArea *area = ClientArea::of(this);
        if (kind == m_kind || !area)
            setSource(url);
        else
            showDocument(kind, url, area);
        return;
    }
    if (!QDesktopServices::openUrl(url))
        ErrorReport::information(this, QString::fromLatin1(kNoBrowser).arg(url.toString()));
}

bool TFormDocument::eventFilter(QObject *watched, QEvent *event)
{
    // The window's own keys come before the main menu's (Ctrl+F there finds
    // verses); Enter in the find box finds the next place, Shift+Enter the
    // one before, Esc goes back to the page.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        QKeyCombination combination = key->keyCombination();
        // Ctrl++ is typed with Shift on many keyboards, and on the keypad.
        if (combination.key() == Qt::Key_Plus || combination.key() == Qt::Key_Equal ||
            combination.key() == Qt::Key_Minus)
            combination = QKeyCombination(combination.keyboardModifiers() &
                                              ~(Qt::ShiftModifier | Qt::KeypadModifier),
                                          combination.key());
        const QKeySequence pressed(combination);
        for (QAction *action : {Back1, Forward1, Find1, ZoomIn1, ZoomOut1, Copy1, Print1}) {
            const QKeySequence own = action->data().value<QKeySequence>();
            const bool zoomInEquals =
                action == ZoomIn1 && pressed == QKeySequence(Qt::CTRL | Qt::Key_Equal);
            if (pressed != own && !zoomInEquals)
                continue;
            // Copy in the find box copies the find box's selection.
            if (action == Copy1 && watched == EditFind)
                break;
            event->accept();
            if (event->type() == QEvent::KeyPress && action->isEnabled())
                action->trigger();
            return true;
        }
        if (watched == EditFind && event->type() == QEvent::KeyPress) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                FindNext(key->modifiers() & Qt::ShiftModifier);
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                BrowserDocument->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
