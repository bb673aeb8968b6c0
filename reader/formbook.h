// The reader window: one chapter at a time, with book, chapter and verse
// selectors, previous and next chapter across book boundaries, links to the
// commentaries and the dictionary, and a tick that keeps the verse selector
// and caption on the verse under the caret.
#pragma once

#include "reader/readerhistory.h"

#include <QPair>
#include <QTextEdit>
#include <QVector>
#include <QWidget>
#include <array>
#include <memory>

class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolButton;
class QAction;
class AppearanceStore;
class ChapterMarkup;
struct Appearance;
class Cursor;
class ScriptureText;
struct VerseReference;

class TFormBook : public QWidget
{
    Q_OBJECT
public:
    // Shows place (book, chapter, verse; marked with its search words when
    // it comes from a search result), drawn with the settings in the store
    // (the design's defaults without one), which its zoom also changes.
    explicit TFormBook(const VerseReference &place, AppearanceStore *store = nullptr,
                       QWidget *parent = nullptr);
    ~TFormBook() override;

    // The settings the reader is drawn with: the store's, or the design's
    // defaults for a reader without one.
    const Appearance &appearance() const;

    static constexpr int MaxVerses = 176;
    // The longest book of the text (Psalms) has 150 chapters.
    static constexpr int MaxChapters = 150;

    QComboBox *ComboBoxBook = nullptr;
    QComboBox *ComboBoxChapter = nullptr;
    QComboBox *ComboBoxVerse = nullptr;
    QToolButton *RxSpeedButtonPrev = nullptr;
    QToolButton *RxSpeedButtonNext = nullptr;
    QToolButton *RxSpeedButtonEBD = nullptr;
    QToolButton *RxSpeedButtonMHC = nullptr;
    QToolButton *RxSpeedButtonJFB = nullptr;
    QToolButton *RxSpeedButtonBack = nullptr;
    QToolButton *RxSpeedButtonForward = nullptr;
    QTextEdit *RxRichEdit1 = nullptr;
    QMenu *RxPopupMenu1 = nullptr;
    QAction *CopyCtrlC1 = nullptr;
    QAction *LookUpWord1 = nullptr;
    QAction *MHCCommentary1 = nullptr;
    QAction *JFBCommentary1 = nullptr;
    QAction *PreviousChapter1 = nullptr;
    QAction *NextChapter1 = nullptr;
    QAction *Back1 = nullptr;
    QAction *Forward1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusPanel[3] = {nullptr, nullptr, nullptr};
    QTimer *Timer1 = nullptr;

    // Character offset of entry k of the verse line starts: entry 0 is
    // verse 1's line, entry k the line after verse k; entries past the last
    // verse are 0.
    int verseStart(int k) const { return VerseStarts[std::size_t(k)]; }
    // The position after the chapter's closing line: the end of its text.
    int chapterEndPos() const { return ChapterEndPos; }

    // Ctrl+wheel: every font of the chapter larger (steps > 0) or smaller;
    // the zoom is kept with the appearance settings.
    void zoomBy(int steps);

    // "Book Chapter", the print title and suggested file name.
    QString printTitle() const;
    // Display-line helpers of the text area (lines counted from 0 across
    // the whole text, wrapped lines included).
    int lineCount() const;
    int lineOfPosition(int position) const;
    int firstVisibleLine() const;
    int bottomVisibleLine() const;
    int lineStartPosition(int line) const;

    // Shows a place as a jump the person asked for: one step of the history.
    void goTo(int book, int chapter, int verse);
    ReaderPlace currentPlace() const;
    const ReaderHistory &history() const { return m_history; }
    // A reader rebuilt in place of another takes over its history.
    void setHistory(const ReaderHistory &history);

signals:
    // A window of this reader's (the dictionary) that belongs in its main
    // window's client area; with no main window listening it stands alone.
    void openChildRequested(QWidget *child);

public slots:
    void ComboBoxBookChange();
    void BuildComboChapter();
    void BuildComboVerse();
    void ComboBoxChapterChange();
    void ComboBoxVerseChange();
    void RxSpeedButtonPrevClick();
    void PreviousChapter1Click();
    void RxSpeedButtonNextClick();
    void NextChapter1Click();
    void Timer1Timer();
    void RxSpeedButtonBackClick();
    void RxSpeedButtonForwardClick();

    // Links to the commentaries and the dictionary.
    void RxSpeedButtonMHCClick();
    void MHCCommentary1Click();
    void RxSpeedButtonJFBClick();
    void JFBCommentary1Click();
    void RxSpeedButtonEBDClick();
    void LookUpWord1Click();
    void CopyCtrlC1Click();
    void RxPopupMenu1Popup();
    // The selected text as the dictionary receives it.
    QString selectedWord() const;

    // A highlight behind verses first to last of the chapter shown, and the
    // keywords of a search highlighted in it; both go when another chapter
    // is shown.
    void markVerses(int first, int last);
    void highlightWords(const QStringList &words, bool matchCase, bool wholeWords);
    QPair<int, int> markedVerses() const { return m_markedVerses; }
    // The text ranges highlighted as keywords, in document positions.
    QVector<QPair<int, int>> highlightedWords() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Held while a jump runs: the place left becomes a step back once the
    // outermost jump ends somewhere else.
    class Jump
    {
    public:
        explicit Jump(TFormBook &reader);
        ~Jump();
        Jump(const Jump &) = delete;
        Jump &operator=(const Jump &) = delete;

    private:
        TFormBook &m_reader;
        ReaderPlace m_from;
    };

    void createNavigation();
    void showPlace(const ReaderPlace &place);
    void setHistoryButtonStates();
    void createControls();
    void createActions();
    void RxRichEdit1KeyDown(int key);
    QToolButton *buttonForMnemonic(const QKeyEvent *event) const;
    void setButtonStates();
    void setCaret(int position);
    void refreshExtraSelections();
    void forgetMarks();

    std::unique_ptr<ScriptureText> m_scripture;
    Cursor *m_tableBible = nullptr;          // the verses of the chapter being laid in
    std::unique_ptr<ChapterMarkup> m_markup; // opened at the first chapter load
    AppearanceStore *m_appearance = nullptr;
    bool m_shownOnce = false;
    ReaderHistory m_history;
    // The place shown when no jump is running: where the next jump leaves.
    ReaderPlace m_settledPlace;
    int m_jumpDepth = 0;
    QPair<int, int> m_markedVerses{0, 0}; // none while first is 0
    QList<QTextEdit::ExtraSelection> m_wordSelections;

    // The chapter's layout and where the tick last saw the caret and the
    // view, kept by the chapter load and the tick.
    std::array<int, MaxVerses + 1> VerseStarts{};
    int ChapterEndPos = 0;
    int LastCaretPos = 0;
    int LastTopLine = 0;
    int LastBottomLine = 0;
    int LastCaretLine = 0;
    bool MoveCaretOnVerseChange = true;
};
