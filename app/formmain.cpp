#include "formmain.h"

#include "about/formabout.h"
#include "app/application.h"
#include "app/clientarea.h"
#include "app/documentlauncher.h"
#include "app/pendingreference.h"
#include "app/referenceurl.h"
#include "dictionary/formebd.h"
#include "documents/formdocument.h"
#include "options/formoptions.h"
#include "options/formstorage.h"
#include "options/sampleholders.h"
#include "reader/chaptertextedit.h"
#include "reader/formbook.h"
#include "resources/artwork.h"
#include "scripture/dataset.h"
#include "search/formsearch.h"
#include "study/studycommands.h"
#include "study/versecopy.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

// Design data of the main window.
namespace {
const char *const kCaption = "Kelvaro";
const QRect kDesignBounds(191, 100, 539, 369);
const QSize kToolButtonSize(24, 24);
const int kToolBarHeight = 30;
const int kStartupInterval = 1;
const int kParameterFileInterval = 200;
// Longest wait for the window system to show the main window before the
// session opens anyway (a window that is never shown is not waited for).
const int kPlacementWaitMs = 2000;
// %1: the viewer in force, in words.
const char *const kFirstRunNotice =
    "The reference material (the dictionary, the commentaries and the help) opens in %1. "
    "You can choose your web browser or another program instead under Tools > Options > "
    "HTML Viewer.";

struct MenuItem
{
    QAction *TFormMain::*action;
    const char *name;
    const char *caption;
    QKeySequence shortcut;
    void (TFormMain::*handler)();
};

// Tool-bar items: name, caption, hint, glyph, handler.
struct ToolItem
{
    const char *name;
    const char *caption;
    const char *hint;
    Artwork::Glyph glyph;
    void (TFormMain::*handler)();
};

const ToolItem kToolItems[] = {
    {"Open", "Open New Window", "Open New Window", Artwork::Glyph::OpenWindow,
     &TFormMain::Open1Click},
    {"Search", "Find Verses", "Find Verses", Artwork::Glyph::FindVerses, &TFormMain::Find1Click},
    {"Copybtn", "Copy", "Copy to Clipboard", Artwork::Glyph::Copy, &TFormMain::Copy1Click},
    {"Printbtn", "Print", "Print Chapter", Artwork::Glyph::Print, &TFormMain::Print1Click},
    {"Options", "Options", "Options", Artwork::Glyph::Options, &TFormMain::Options1Click},
};

// The client area: the tiled background picture, whose transparent pixels let
// the white client colour show through.
QBrush clientBackground()
{
    const QImage tile = Artwork::backgroundTile();
    QPixmap composed(tile.size());
    composed.fill(Qt::white);
    QPainter painter(&composed);
    painter.drawImage(0, 0, tile);
    painter.end();
    return QBrush(composed);
}
} // namespace

TFormMain::TFormMain(QWidget *parent) : QMainWindow(parent)
{
    // The windows are laid out for "MS Sans Serif"; where it is missing, the
    // metric-compatible sans serif of the system keeps captions in place.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(Artwork::appIcon());
    setGeometry(kDesignBounds);

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("MDIClient"));
    m_mdiArea->setBackground(clientBackground());
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &TFormMain::updateMenus);
    m_clientArea = new ClientArea(m_mdiArea, this);
    connect(m_clientArea, &ClientArea::childAdded, this, &TFormMain::connectChild);

    createHolders();
    createActions();
    createMenus();
    createToolBar();
    createTimers();
    m_studyCommands = StudyCommands::install(this, m_clientArea);

    // FormCreate: the session table and the catalogue open with the window.
    m_handOff = new ReaderHandOff(this);
    connect(m_handOff, &ReaderHandOff::openBook, this, [this](const VerseReference &place) {
        ErrorReport::guard([&] { Open1Click(place); });
    });
    openSettingsTable();
    m_tableChapters = std::make_unique<Table>(QStringLiteral("Chapters.db"));
    m_tableChapters->setIndexName(QStringLiteral("IDX_BookAbbr"));
    try {
        m_tableChapters->open();
    } catch (const std::exception &error) {
        m_startupError += QString::fromUtf8(error.what());
    }
    m_formStorage = std::make_unique<FormStorage>(this, m_appearance, SpeedBar1);

    m_formAbout = new TFormAbout(this);
    m_formOptions = new TFormOptions(this, this);
}

TFormMain::~TFormMain()
{
    if (m_formStorage && m_formStorage->restoreCompleted() && !m_formStorage->saveCompleted())
        m_formStorage->save(true);
    // Children go before the tables they read.
    delete m_mdiArea;
    m_mdiArea = nullptr;
}

void TFormMain::createHolders()
{
    // Every window reads the settings in force at the moment it needs them.
    m_appearance = new AppearanceStore(this);
    m_appearance->setObjectName(QStringLiteral("Appearance"));
    m_holders = std::make_unique<AppearanceHolders>(m_appearance);
    PanelSample = &m_holders->PanelSample;
    PanelSampleBook = &m_holders->PanelSampleBook;
    PanelSampleVerse = &m_holders->PanelSampleVerse;
    PanelSampleText = &m_holders->PanelSampleText;
    edithtmlviewer = &m_holders->edithtmlviewer;
    EditFirstTime = &m_holders->EditFirstTime;
    CheckBoxRedLetters = &m_holders->CheckBoxRedLetters;
    SpinEditZoom = &m_holders->SpinEditZoom;
}

void TFormMain::createActions()
{
    const MenuItem items[] = {
        {&TFormMain::Open1, "Open1", "&Open New Window", QKeySequence(Qt::CTRL | Qt::Key_O),
         &TFormMain::Open1Click},
        {&TFormMain::Close1, "Close1", "&Close Window", QKeySequence(), &TFormMain::Close1Click},
        {&TFormMain::SaveAs1, "SaveAs1", "Save Chapter &As...", QKeySequence(),
         &TFormMain::SaveAs1Click},
        {&TFormMain::Print1, "Print1", "&Print Chapter", QKeySequence(Qt::CTRL | Qt::Key_P),
         &TFormMain::Print1Click},
        {&TFormMain::Exit1, "Exit1", "E&xit", QKeySequence(), &TFormMain::Exit1Click},
        {&TFormMain::Copy1, "Copy1", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C),
         &TFormMain::Copy1Click},
        {&TFormMain::SelectAll1, "SelectAll1", "Select &All", QKeySequence(Qt::CTRL | Qt::Key_A),
         &TFormMain::SelectAll1Click},
        {&TFormMain::Find1, "Find1", "&Find Verses...", QKeySequence(Qt::CTRL | Qt::Key_F),
         &TFormMain::Find1Click},
        {&TFormMain::GoToReference1, "GoToReference1", "&Go to Reference...",
         QKeySequence(Qt::CTRL | Qt::Key_L), &TFormMain::GoToReference1Click},
        {&TFormMain::Options1, "Options1", "&Options", QKeySequence(), &TFormMain::Options1Click},
        {&TFormMain::Vertical1, "Vertical1", "&Vertical", QKeySequence(),
         &TFormMain::Vertical1Click},
        {&TFormMain::Horizonal1, "Horizonal1", "&Horizonal", QKeySequence(),
         &TFormMain::Horizonal1Click},
        {&TFormMain::Cascade1, "Cascade1", "&Cascade", QKeySequence(), &TFormMain::Cascade1Click},
        {&TFormMain::AbouttheKingJamesVersion1, "AbouttheKingJamesVersion1",
         "Notes from the KJV Translators", QKeySequence(),
         &TFormMain::AbouttheKingJamesVersion1Click},
        {&TFormMain::MathewHenrysConciseCommentary1, "MathewHenrysConciseCommentary1",
         "Introduction to Matthew Henry's Concise Commentary", QKeySequence(),
         &TFormMain::MathewHenrysConciseCommentary1Click},
        {&TFormMain::JamiesonFaussetBrownCommentary1, "JamiesonFaussetBrownCommentary1",
         "Introduction to Jamieson-Fausset-Brown Commentary", QKeySequence(),
         &TFormMain::JamiesonFaussetBrownCommentary1Click},
        {&TFormMain::EastonsBibleDictionary1, "EastonsBibleDictionary1",
         "Easton's Bible Dictionary...", QKeySequence(), &TFormMain::EastonsBibleDictionary1Click},
        {&TFormMain::HowtoHaveEternalLife1, "HowtoHaveEternalLife1", "How to Have Eternal Life",
         QKeySequence(), &TFormMain::HowtoHaveEternalLife1Click},
        {&TFormMain::HelpwiththisProgram1, "HelpwiththisProgram1", "&Help with Using Kelvaro",
         QKeySequence(), &TFormMain::HelpwiththisProgram1Click},
        {&TFormMain::About1, "About1", "&About Kelvaro...", QKeySequence(),
         &TFormMain::About1Click},
    };
    for (const MenuItem &item : items) {
        auto *action = new QAction(QString::fromUtf8(item.caption), this);
        action->setObjectName(QString::fromLatin1(item.name));
        if (!item.shortcut.isEmpty()) {
            action->setShortcut(item.shortcut);
            // Ctrl+C and Ctrl+A must still reach a focused text box of a
            // search or dictionary window; the reader's text area handles
            // them there as well.
            action->setShortcutContext(Qt::WindowShortcut);
        }
        connect(action, &QAction::triggered, this, item.handler);
        this->*(item.action) = action;
    }
}

void TFormMain::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addAction(Open1);
    file->addAction(Close1);
    file->addSeparator()->setObjectName(QStringLiteral("N3"));
    file->addAction(SaveAs1);
    file->addSeparator()->setObjectName(QStringLiteral("N2"));
    file->addAction(Print1);
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    file->addAction(Exit1);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    edit->addAction(Copy1);
    edit->addAction(SelectAll1);
    edit->addSeparator()->setObjectName(QStringLiteral("N5"));
    edit->addAction(Find1);
    edit->addAction(GoToReference1);

    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    tools->addAction(Options1);

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    m_windowMenu->setObjectName(QStringLiteral("Window1"));
    // Built once: the list of windows below it is rebuilt at every opening.
    m_tileMenu = new QMenu(QStringLiteral("&Tile"), m_windowMenu);
    m_tileMenu->setObjectName(QStringLiteral("Tile1"));
    m_tileMenu->addAction(Vertical1);
    m_tileMenu->addAction(Horizonal1);
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TFormMain::populateWindowMenu);
    populateWindowMenu();

    QMenu *reference = menuBar()->addMenu(QStringLiteral("&Reference"));
    reference->setObjectName(QStringLiteral("Reference1"));
    reference->addAction(AbouttheKingJamesVersion1);
    reference->addAction(MathewHenrysConciseCommentary1);
    reference->addAction(JamiesonFaussetBrownCommentary1);
    reference->addAction(EastonsBibleDictionary1);
    reference->addAction(HowtoHaveEternalLife1);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addAction(HelpwiththisProgram1);
    help->addAction(About1);
}

void TFormMain::populateWindowMenu()
{
    m_windowMenu->clear();
    m_windowMenu->addMenu(m_tileMenu);
    m_windowMenu->addAction(Cascade1);

    // The open child windows, the active one checked.
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    m_windowMenu->addSeparator();
    QMdiSubWindow *active = m_mdiArea->currentSubWindow();
    int number = 1;
    for (QMdiSubWindow *window : windows) {
        const QString text = number < 10
                                 ? QStringLiteral("&%1 %2").arg(number).arg(window->windowTitle())
                                 : QStringLiteral("%1 %2").arg(number).arg(window->windowTitle());
        QAction *action = m_windowMenu->addAction(text);
        action->setCheckable(true);
        action->setChecked(window == active);
        connect(action, &QAction::triggered, this, [this, window] {
            if (m_mdiArea->subWindowList().contains(window))
                m_mdiArea->setActiveSubWindow(window);
        });
        ++number;
    }
}

void TFormMain::createToolBar()
{
    SpeedBar1 = new QToolBar(QStringLiteral("Untitled (0)"), this);
    SpeedBar1->setObjectName(QStringLiteral("SpeedBar1"));
    SpeedBar1->setMovable(true);
    SpeedBar1->setFloatable(false);
    SpeedBar1->setAllowedAreas(Qt::AllToolBarAreas);
    SpeedBar1->setIconSize(QSize(16, 16));
    SpeedBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedBar1->setMinimumHeight(kToolBarHeight);
    SpeedBar1->setContentsMargins(3, 0, 0, 0);
    addToolBar(Qt::TopToolBarArea, SpeedBar1);
    for (const ToolItem &item : kToolItems) {
        // Tool-bar buttons have their own captions and hints, and the print
        // button stays usable while the menu item is greyed.
        auto *action =
            new QAction(Artwork::toolBarGlyph(item.glyph), QString::fromLatin1(item.caption), this);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setToolTip(QString::fromLatin1(item.hint));
        action->setStatusTip(QString::fromLatin1(item.hint));
        connect(action, &QAction::triggered, this, item.handler);
        SpeedBar1->addAction(action);
        if (QWidget *button = SpeedBar1->widgetForAction(action)) {
            button->setObjectName(QString::fromLatin1(item.name) + QStringLiteral("Button"));
            button->setFixedSize(kToolButtonSize);
        }
    }
    createReferenceBox();
}

void TFormMain::createTimers()
{
    TimerStartup = new QTimer(this);
    TimerStartup->setObjectName(QStringLiteral("TimerStartup"));
    TimerStartup->setInterval(kStartupInterval);
    connect(TimerStartup, &QTimer::timeout, this, &TFormMain::TimerStartupTimer);
    TimerStartup->start();

    TimerParameterFile = new QTimer(this);
    TimerParameterFile->setObjectName(QStringLiteral("TimerParameterFile"));
    TimerParameterFile->setInterval(kParameterFileInterval);
    connect(TimerParameterFile, &QTimer::timeout, this, &TFormMain::TimerParameterFileTimer);
    TimerParameterFile->start();
}

QWidget *TFormMain::activeChild() const
{
    return m_clientArea->activeChild();
}

TFormBook *TFormMain::activeReader() const
{
    return qobject_cast<TFormBook *>(activeChild());
}

QMdiSubWindow *TFormMain::addChild(QWidget *child)
{
    return m_clientArea->addChild(child);
}

QMdiSubWindow *TFormMain::openChild(QWidget *child)
{
    return m_clientArea->openChild(child, qobject_cast<TFormBook *>(child)
                                              ? ClientArea::Placement::Cascaded
                                              : ClientArea::Placement::Framed);
}

void TFormMain::connectChild(QWidget *child)
{
    // A search result asks for its reader, opened at once, or for the reader
    // in use.
    if (auto *search = qobject_cast<TFormSearch *>(child)) {
        connect(search, &TFormSearch::OpenBookRequest, m_handOff, &ReaderHandOff::OpenBookRequest);
        connect(search, &TFormSearch::openInActiveReaderRequested, this,
                [this](const ReferenceParser::Reference &reference) {
                    openReference(reference, false);
                });
    }
    // A verse link of a document opens a reader at its verse.
    if (auto *document = qobject_cast<TFormDocument *>(child)) {
        connect(document, &TFormDocument::verseLinkClicked, this, [this](const QString &link) {
            ReferenceUrl::openInReader(link, *m_handOff, this);
        });
    }
    // A definition of the dictionary opens in the viewer in force.
    if (auto *dictionary = qobject_cast<TFormebd *>(child))
        connect(dictionary, &TFormebd::documentRequested, this, &TFormMain::openDocument);
}

void TFormMain::updateMenus()
{
    QWidget *child = activeChild();
    if (!child)
        return;
    // A reader enables "Print Chapter"; a search or dictionary window greys it.
    Print1->setEnabled(qobject_cast<TFormBook *>(child) != nullptr);
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    m_formStorage->restore();
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        SaveandCloseBooks();
    } catch (const std::exception &error) {
        QGuiApplication::restoreOverrideCursor();
        ErrorReport::show(error);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    QGuiApplication::restoreOverrideCursor();
    m_formStorage->save(false);
    event->accept();
}

void TFormMain::Open1Click()
{
    ErrorReport::guard([this] { Open1Click(VerseReference{1, 1, 1}); });
}

void TFormMain::Open1Click(const VerseReference &place)
{
    auto *reader = new TFormBook(place, m_appearance);
    connect(reader, &TFormBook::openChildRequested, this, &TFormMain::openChild);
    // A copy of whole verses carries their reference.
    if (auto *area = qobject_cast<ChapterTextEdit *>(reader->RxRichEdit1))
        area->setVerseCopy(&VerseCopy::forSelection);
    m_studyCommands->attachReader(reader);
    openChild(reader);
    reader->RxRichEdit1->setFocus();
}

void TFormMain::Close1Click()
{
    if (QMdiSubWindow *window = m_mdiArea->currentSubWindow())
        window->close();
}

void TFormMain::Exit1Click()
{
    close();
}

void TFormMain::Find1Click()
{
    openChild(new TFormSearch);
}

void TFormMain::EastonsBibleDictionary1Click()
{
    openChild(new TFormebd);
}

// When a modal dialog closes, the window system may hand the focus to some
// other window; the user goes back to the control the dialog was opened from,
// or to the main window when that control is gone.
static void execReturningFocus(QDialog *dialog, QWidget *main)
{
    const QPointer<QWidget> from = QApplication::focusWidget();
    dialog->exec();
    main->activateWindow();
    if (from)
        from->setFocus(Qt::OtherFocusReason);
}

void TFormMain::Options1Click()
{
    execReturningFocus(m_formOptions, this);
}

void TFormMain::About1Click()
{
    execReturningFocus(m_formAbout, this);
}

// The children in order of use, the active one last and on top; each keeps
// its size as far as the area allows.
void TFormMain::Cascade1Click()
{
    m_clientArea->cascade();
}

// Vertical tiling puts the children side by side in columns, horizontal
// tiling stacks them in rows across the full width.
void TFormMain::Vertical1Click()
{
    m_clientArea->tile(Qt::Horizontal);
}

void TFormMain::Horizonal1Click()
{
    m_clientArea->tile(Qt::Vertical);
}

void TFormMain::TimerStartupTimer()
{
    // The readers open into the client area at its final size: the window
    // system applies the main window's placement (maximized on the first run)
    // only by the time the window is on screen.
    if (isVisible() && !isMinimized() && windowHandle() && !windowHandle()->isExposed()) {
        if (!m_placementWait.isValid())
            m_placementWait.start();
        if (m_placementWait.elapsed() < kPlacementWaitMs)
            return;
    }
    // Stopped first, so that a failing restore is not tried again on every
    // tick; the options dialog starts it again.
    TimerStartup->stop();
    if (!m_startupError.isEmpty()) {
        const QString error = m_startupError;
        m_startupError.clear();
        ErrorReport::show(error);
    }
    ErrorReport::guard([this] { restoreSession(); });
    if (EditFirstTime->text() == QLatin1String("True")) {
        ErrorReport::information(this,
                                 QString::fromLatin1(kFirstRunNotice)
                                     .arg(DocumentLauncher::describe(edithtmlviewer->text())));
        EditFirstTime->setText(QStringLiteral("False"));
    }
}
