// The multiple-document main window: menus, tool bar, timers, the store of
// the appearance settings, and the hand-off that opens reader windows at the
// place each request names.
#pragma once

#include "app/documentlauncher.h"
#include "app/parameterinbox.h"
#include "app/pendingreference.h"
#include "options/appearanceholders.h"
#include "reader/readerhistory.h"
#include "scripture/referenceparser.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <memory>

class QAction;
class QCheckBox;
class QLineEdit;
class QMdiArea;
class QSpinBox;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
class ClientArea;
class ReferenceBox;
class SamplePanel;
class StudyCommands;
class SampleFont;
class Table;
class FormStorage;
class TFormBook;
class TFormAbout;
class TFormOptions;

class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    QMdiArea *mdiArea() const { return m_mdiArea; }
    // Where the child windows go, for the windows that open others.
    ClientArea *clientArea() const { return m_clientArea; }
    // The active child's widget, or null.
    QWidget *activeChild() const;
    // The active child when it is a reader window, else null.
    TFormBook *activeReader() const;
    // Adds a child window (reader, search or dictionary) to the client area.
    QMdiSubWindow *addChild(QWidget *child);
    // Adds, places, shows and activates a new child window.
    QMdiSubWindow *openChild(QWidget *child);

    // The readers' zoom, in percent of the fonts' own sizes.
    static constexpr int kZoomMinimum = Appearance::ZoomMinimum;
    static constexpr int kZoomMaximum = Appearance::ZoomMaximum;

    // The appearance settings in force.
    AppearanceStore *appearance() const { return m_appearance; }
    // The same settings under the names of the design's hidden holders.
    ColorHolder *PanelSample = nullptr;
    FontHolder *PanelSampleBook = nullptr;
    FontHolder *PanelSampleVerse = nullptr;
    FontHolder *PanelSampleText = nullptr;
    TextHolder *edithtmlviewer = nullptr;
    TextHolder *EditFirstTime = nullptr;
    CheckHolder *CheckBoxRedLetters = nullptr; // the words of Christ in red
    ZoomHolder *SpinEditZoom = nullptr;        // readers' zoom in percent (Ctrl+wheel)
    QToolBar *SpeedBar1 = nullptr;
    ReferenceBox *ReferenceBox1 = nullptr;

    QTimer *TimerStartup = nullptr;
    QTimer *TimerParameterFile = nullptr;

    // Menu items other windows and tests reach.
    QAction *Open1 = nullptr;
    QAction *Close1 = nullptr;
    QAction *SaveAs1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *Copy1 = nullptr;
    QAction *SelectAll1 = nullptr;
    QAction *Find1 = nullptr;
    QAction *GoToReference1 = nullptr;
    QAction *Options1 = nullptr;
    QAction *Vertical1 = nullptr;
    QAction *Horizonal1 = nullptr;
    QAction *Cascade1 = nullptr;
    QAction *AbouttheKingJamesVersion1 = nullptr;
    QAction *MathewHenrysConciseCommentary1 = nullptr;
    QAction *JamiesonFaussetBrownCommentary1 = nullptr;
    QAction *EastonsBibleDictionary1 = nullptr;
    QAction *HowtoHaveEternalLife1 = nullptr;
    QAction *HelpwiththisProgram1 = nullptr;
    QAction *About1 = nullptr;

    TFormAbout *FormAbout() const { return m_formAbout; }
    TFormOptions *FormOptions() const { return m_formOptions; }
    Table &TableSettings() { return *m_tableSettings; }
    // Where other windows ask for a reader.
    ReaderHandOff *HandOff() const { return m_handOff; }
    // Bookmarks, notes and highlights: their store, commands and windows.
    StudyCommands *studyCommands() const { return m_studyCommands; }
    // A new reader at place, given the focus; throws when it cannot be
    // built, for the caller to tell.
    void Open1Click(const VerseReference &place);

public slots:
    // A new reader at Genesis 1:1 (the menu and the tool bar).
    void Open1Click();
    void Close1Click();
    void SaveAs1Click();
    void Print1Click();
    void Exit1Click();
    void Copy1Click();
    void SelectAll1Click();
    void Find1Click();
    void GoToReference1Click();
    // Shows a reference in the reader used last (a jump it can go back
    // from), or in a new reader when newReader is set or none is open; a
    // range is marked.
    void openReference(const ReferenceParser::Reference &reference, bool newReader);
    void Options1Click();
    void Vertical1Click();
    void Horizonal1Click();
    void Cascade1Click();
    void AbouttheKingJamesVersion1Click();
    void MathewHenrysConciseCommentary1Click();
    void JamiesonFaussetBrownCommentary1Click();
    void EastonsBibleDictionary1Click();
    void HowtoHaveEternalLife1Click();
    void HelpwiththisProgram1Click();
    void About1Click();

    void TimerStartupTimer();
    void TimerParameterFileTimer();

    // Writes one session row per open reader, least recently used first,
    // and closes those readers.
    void SaveandCloseBooks();
    // Opens the HTML document at a path relative to the program folder in
    // the viewer, or tells that it is missing.
    void OpenReferenceDocument(const QString &relativePath);
    // Shows an HTML document (a full path, with an anchor after "#") as the
    // viewer setting says.
    DocumentLauncher::Outcome openDocument(const QString &fullPath);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createHolders();
    void createActions();
    void createMenus();
    void createToolBar();
    void createReferenceBox();
    void createTimers();
    void updateMenus();
    void restoreSession();
    // As many readers as one hand-off may open: a runaway session table
    // must not bury the program under windows.
    static constexpr int MaxRestoredReaders = 100;
    void populateWindowMenu();
    // Connects the requests of a window that joined the client area.
    void connectChild(QWidget *child);
    void openSettingsTable();
    // Child windows from least to most recently activated.
    QList<QMdiSubWindow *> childrenByRecency() const;

    QMdiArea *m_mdiArea = nullptr;
    ClientArea *m_clientArea = nullptr;
    StudyCommands *m_studyCommands = nullptr;
    std::unique_ptr<Table> m_tableSettings;
    std::unique_ptr<Table> m_tableChapters;
    AppearanceStore *m_appearance = nullptr;
    std::unique_ptr<AppearanceHolders> m_holders;
    std::unique_ptr<FormStorage> m_formStorage;
    TFormAbout *m_formAbout = nullptr;
    TFormOptions *m_formOptions = nullptr;
    QMenu *m_windowMenu = nullptr;
    QMenu *m_tileMenu = nullptr;
    QElapsedTimer m_placementWait;
    QString m_startupError;
    // The last restore could not show the stored session (its rows could
    // not be read, or no reader they name could open): the next save leaves
    // them as they are.
    bool m_keepStoredSession = false;
    // The histories of the readers the last save closed, in the order of
    // their rows: the readers rebuilt by the next restore take them over.
    QList<ReaderHistory> m_carriedHistories;
    bool m_shownOnce = false;
    ReaderHandOff *m_handOff = nullptr;
    // The take-over of param.txt is this window's own, and runs once at a
    // time even while it waits in a message box.
    ParameterFile::Inbox m_parameterInbox;
    bool m_takingOverParameterFile = false;
    // Opens the references of param.txt; its failures are the timer's to tell.
    void takeOverParameterFile();
};
