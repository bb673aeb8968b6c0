// The study commands of the main window: bookmarks, notes, highlights, copy
// of the verse under the caret, and the "Bookmarks and Notes" window (which
// exports and imports). They sit in the Edit and Tools menus; each reader
// offers them in its context menu and shows the marks of its chapter.
#pragma once

#include "app/pendingreference.h"

#include <QObject>

class ClientArea;
class QAction;
class QMenu;
class QWidget;
class StudyStore;
class TFormBook;

class StudyCommands : public QObject
{
    Q_OBJECT
public:
    // Creates the store, the commands and the menu of the main window, whose
    // client area the note and list windows open in.
    static StudyCommands *install(QWidget *main, ClientArea *area);
    ~StudyCommands() override;
    // Gives a new reader the commands and the marks.
    void attachReader(TFormBook *reader);

    StudyStore *store() const { return m_store; }
    // The text of a failed opening of the store; empty when it is open.
    QString openError() const { return m_openError; }

    QAction *BookmarkVerse1 = nullptr;
    QAction *NoteonVerse1 = nullptr;
    QMenu *Highlight1 = nullptr;
    QAction *HighlightColour[6] = {}; // 0: remove, 1 to 5: the colours
    QAction *CopyVerse1 = nullptr;
    QAction *BookmarksandNotes1 = nullptr;
    QAction *ExportStudy1 = nullptr;
    QAction *ImportStudy1 = nullptr;

public slots:
    // Opens the note window of a verse, or brings its open one forward.
    void openNote(const VerseReference &place);
    void BookmarkVerse1Click();
    void NoteonVerse1Click();
    void highlightClick(int colour);
    void CopyVerse1Click();
    void BookmarksandNotes1Click();
    void ExportStudy1Click();
    void ImportStudy1Click();

private:
    StudyCommands(QWidget *main, ClientArea *area);
    void createActions();
    bool storeReady();
    // The reader in front, or null.
    TFormBook *activeReader() const;

    QWidget *m_main;
    ClientArea *m_area;
    StudyStore *m_store;
    QString m_openError;
};
