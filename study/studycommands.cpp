#include "studycommands.h"

#include "app/application.h"
#include "app/clientarea.h"
#include "app/programfolder.h"
#include "reader/formbook.h"
#include "study/formnote.h"
#include "study/formstudy.h"
#include "study/readermarks.h"
#include "study/studystore.h"
#include "study/versecopy.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolButton>

// Design data of the study commands.
namespace {
struct CommandDesign
{
    QAction *StudyCommands::*action;
    const char *name;
    const char *caption;
    QKeySequence shortcut;
    void (StudyCommands::*handler)();
};
const CommandDesign kCommands[] = {
    {&StudyCommands::BookmarkVerse1, "BookmarkVerse1", "&Bookmark Verse...",
     QKeySequence(Qt::CTRL | Qt::Key_B), &StudyCommands::BookmarkVerse1Click},
    {&StudyCommands::NoteonVerse1, "NoteonVerse1", "&Note on Verse...",
     QKeySequence(Qt::CTRL | Qt::Key_E), &StudyCommands::NoteonVerse1Click},
    {&StudyCommands::CopyVerse1, "CopyVerse1", "Copy &Verse",
     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &StudyCommands::CopyVerse1Click},
    {&StudyCommands::BookmarksandNotes1, "BookmarksandNotes1", "&Bookmarks and Notes...",
     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), &StudyCommands::BookmarksandNotes1Click},
    {&StudyCommands::ExportStudy1, "ExportStudy1", "&Export Bookmarks and Notes...", QKeySequence(),
     &StudyCommands::ExportStudy1Click},
    {&StudyCommands::ImportStudy1, "ImportStudy1", "&Import Bookmarks and Notes...", QKeySequence(),
     &StudyCommands::ImportStudy1Click},
};
// Index 0 removes the highlight.
const char *const kHighlightCaptions[6] = {
    "&Remove Highlight", "&Yellow", "&Green", "B&lue", "&Pink", "&Orange"};
const char *const kHighlightMenuCaption = "&Highlight";
// The reader's button, after its commentary buttons and Back and Forward.
const QRect kReaderButton(489, 1, 78, 50);
const char *const kReaderButtonCaption = "Bookmark";

QIcon bookmarkGlyph()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath ribbon;
    ribbon.moveTo(9, 3);
    ribbon.lineTo(23, 3);
    ribbon.lineTo(23, 29);
    ribbon.lineTo(16, 22);
    ribbon.lineTo(9, 29);
    ribbon.closeSubpath();
    painter.fillPath(ribbon, QColor(0xb0, 0x20, 0x20));
    return QIcon(pixmap);
}
} // namespace

StudyCommands::StudyCommands(QWidget *main, ClientArea *area)
    : QObject(main), m_main(main), m_area(area), m_store(new StudyStore(this))
{
    setObjectName(QStringLiteral("StudyCommands"));
    const QString folder = ProgramFolder::dataPath();
    try {
        if (folder.isEmpty())
            throw std::runtime_error("There is no folder for the user's files (study.db "
                                     "cannot be kept).");
        const QString notice = m_store->open(folder);
        if (!notice.isEmpty())
            ErrorReport::showLater(notice);
    } catch (const std::exception &error) {
        // Told when the person first uses a study command.
        m_openError = QString::fromUtf8(error.what());
    }
}

StudyCommands::~StudyCommands() = default;

StudyCommands *StudyCommands::install(QWidget *main, ClientArea *area)
{
    auto *commands = new StudyCommands(main, area);
    commands->createActions();
    return commands;
}

TFormBook *StudyCommands::activeReader() const
{
    return qobject_cast<TFormBook *>(m_area->activeChild());
}

void StudyCommands::createActions()
{
    // The commands on verses join the Edit menu, the list window the Tools
    // menu: the menu bar keeps its familiar six entries.
    QMenu *edit = m_main->findChild<QMenu *>(QStringLiteral("Edit1"));
    QMenu *tools = m_main->findChild<QMenu *>(QStringLiteral("Tools1"));
    if (!edit || !tools)
        return;
    for (const CommandDesign &design : kCommands) {
        auto *action = new QAction(QString::fromUtf8(design.caption), m_main);
        action->setObjectName(QString::fromLatin1(design.name));
        if (!design.shortcut.isEmpty()) {
            action->setShortcut(design.shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        connect(action, &QAction::triggered, this, design.handler);
        this->*(design.action) = action;
    }
    edit->addSeparator();
    edit->addAction(CopyVerse1);
    edit->addAction(BookmarkVerse1);
    edit->addAction(NoteonVerse1);
    QMenu *highlight = edit->addMenu(QString::fromLatin1(kHighlightMenuCaption));
    highlight->setObjectName(QStringLiteral("Highlight1"));
    Highlight1 = highlight;
    for (int colour = 1; colour <= 6; ++colour) {
        const int index = colour % 6; // the colours first, removal last
        auto *action = new QAction(QString::fromLatin1(kHighlightCaptions[index]), m_main);
        action->setObjectName(QStringLiteral("Highlight%1").arg(index));
        action->setShortcut(QKeySequence(Qt::CTRL | (Qt::Key_0 + index)));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, index] { highlightClick(index); });
        if (index == 0)
            highlight->addSeparator();
        highlight->addAction(action);
        HighlightColour[index] = action;
    }
    tools->addAction(BookmarksandNotes1);
    tools->addAction(ExportStudy1);
    tools->addAction(ImportStudy1);
}

void StudyCommands::attachReader(TFormBook *reader)
{
    if (!m_store->isOpen())
        return;
    new ReaderMarks(reader, m_store);
    reader->RxPopupMenu1->addSeparator();
    reader->RxPopupMenu1->addAction(BookmarkVerse1);
    reader->RxPopupMenu1->addAction(NoteonVerse1);
    reader->RxPopupMenu1->addMenu(Highlight1);
    reader->RxPopupMenu1->addAction(CopyVerse1);
    if (auto *strip = reader->findChild<QWidget *>(QStringLiteral("PanelButtons"))) {
        auto *button = new QToolButton(strip);
        button->setObjectName(QStringLiteral("RxSpeedButtonBookmark"));
        button->setText(QString::fromLatin1(kReaderButtonCaption));
        button->setToolTip(QStringLiteral("Bookmark the verse under the caret (Ctrl+B)"));
        button->setAccessibleName(QString::fromLatin1(kReaderButtonCaption));
        button->setIcon(bookmarkGlyph());
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(kReaderButton);
        connect(button, &QToolButton::clicked, this, [this, reader] {
            m_area->activate(reader);
            BookmarkVerse1Click();
        });
    }
}

bool StudyCommands::storeReady()
{
    if (m_store->isOpen())
        return true;
    ErrorReport::show(m_openError);
    return false;
}

void StudyCommands::BookmarkVerse1Click()
{
    TFormBook *reader = activeReader();
    if (!reader || !storeReady())
        return;
    const int verse = VerseCopy::caretVerse(*reader);
    if (verse == 0)
        return;
    const VerseReference place{reader->ComboBoxBook->currentIndex() + 1,
                               reader->ComboBoxChapter->currentIndex() + 1, verse};
    ErrorReport::guard([&] {
        const Study::Entry present = m_store->entry(place);
        QInputDialog dialog(m_main);
        dialog.setObjectName(QStringLiteral("BookmarkDialog"));
        dialog.setWindowTitle(QStringLiteral("Bookmark"));
        dialog.setLabelText(
            QStringLiteral("Label for %1 (may be left empty):").arg(Study::referenceText(place)));
        dialog.setTextValue(present.label);
        const int answer = dialog.exec();
        // The window system may hand the focus elsewhere when the dialog
        // closes; the person goes on reading where they were.
        m_main->activateWindow();
        reader->RxRichEdit1->setFocus(Qt::OtherFocusReason);
        if (answer == QDialog::Accepted)
            m_store->setBookmark(place, dialog.textValue());
    });
}

void StudyCommands::openNote(const VerseReference &place)
{
    if (!storeReady())
        return;
    if (auto *open = m_area->find<TFormNote>([&place](const TFormNote *note) {
            return Study::keyOf(note->place()) == Study::keyOf(place);
        })) {
        m_area->activate(open);
        open->MemoNote->setFocus();
        return;
    }
    auto *note = new TFormNote(m_store, place);
    m_area->openChild(note);
    note->MemoNote->setFocus();
}

void StudyCommands::NoteonVerse1Click()
{
    TFormBook *reader = activeReader();
    if (!reader)
        return;
    const int verse = VerseCopy::caretVerse(*reader);
    if (verse > 0)
        openNote({reader->ComboBoxBook->currentIndex() + 1,
                  reader->ComboBoxChapter->currentIndex() + 1, verse});
}

void StudyCommands::highlightClick(int colour)
{
    TFormBook *reader = activeReader();
    if (!reader || !storeReady())
        return;
    int first = 0;
    int last = 0;
    const QTextCursor cursor = reader->RxRichEdit1->textCursor();
    if (cursor.hasSelection())
        VerseCopy::selectedVerses(*reader, cursor, first, last);
    if (first == 0)
        first = last = VerseCopy::caretVerse(*reader);
    if (first == 0)
        return;
    QList<VerseReference> places;
    for (int verse = first; verse <= last; ++verse)
        places.append({reader->ComboBoxBook->currentIndex() + 1,
                       reader->ComboBoxChapter->currentIndex() + 1, verse});
    ErrorReport::guard([&] { m_store->setHighlight(places, colour); });
}

void StudyCommands::CopyVerse1Click()
{
    TFormBook *reader = activeReader();
    if (!reader)
        return;
    const int verse = VerseCopy::caretVerse(*reader);
    if (verse > 0)
        QGuiApplication::clipboard()->setMimeData(VerseCopy::mimeData(*reader, verse, verse));
}

void StudyCommands::BookmarksandNotes1Click()
{
    if (!storeReady())
        return;
    if (auto *list = m_area->find<TFormStudy>([](const TFormStudy *) { return true; })) {
        m_area->activate(list);
        return;
    }
    auto *list = new TFormStudy(m_store);
    // A note asked for in the list opens as the Edit menu's command opens it.
    connect(list, &TFormStudy::openNoteRequested, this, &StudyCommands::openNote);
    m_area->openChild(list);
}

// Both go through the list window, which then shows what was imported.
void StudyCommands::ExportStudy1Click()
{
    BookmarksandNotes1Click();
    if (auto *list = qobject_cast<TFormStudy *>(m_area->activeChild()))
        list->ButtonExportClick();
}

void StudyCommands::ImportStudy1Click()
{
    BookmarksandNotes1Click();
    if (auto *list = qobject_cast<TFormStudy *>(m_area->activeChild()))
        list->ButtonImportClick();
}
