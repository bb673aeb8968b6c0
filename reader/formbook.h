// The reader window: one chapter at a time, with book, chapter and verse
// selectors, previous and next chapter across book boundaries, links to the
// commentaries and the dictionary, and a tick that keeps the verse selector
// and caption on the verse under the caret.
#pragma once

#include <QWidget>
#include <array>
#include <memory>

class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QStatusBar;
class QTextEdit;
class QTimer;
class QToolButton;
class QAction;
class ChapterMarkup;
class Table;

class TFormBook : public QWidget
{
    Q_OBJECT
public:
    // Takes PendingReference, shows that place and resets it to 1, 1, 1.
    explicit TFormBook(QWidget *parent = nullptr);
    ~TFormBook() override;

    static constexpr int MaxVerses = 176;

    QComboBox *ComboBoxBook = nullptr;
    QComboBox *ComboBoxChapter = nullptr;
    QComboBox *ComboBoxVerse = nullptr;
    QToolButton *RxSpeedButtonPrev = nullptr;
    QToolButton *RxSpeedButtonNext = nullptr;
    QToolButton *RxSpeedButtonEBD = nullptr;
    QToolButton *RxSpeedButtonMHC = nullptr;
    QToolButton *RxSpeedButtonJFB = nullptr;
    QTextEdit *RxRichEdit1 = nullptr;
    QMenu *RxPopupMenu1 = nullptr;
    QAction *CopyCtrlC1 = nullptr;
    QAction *LookUpWord1 = nullptr;
    QAction *MHCCommentary1 = nullptr;
    QAction *JFBCommentary1 = nullptr;
    QAction *PreviousChapter1 = nullptr;
    QAction *NextChapter1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *StatusPanel[3] = {nullptr, nullptr, nullptr};
    QTimer *Timer1 = nullptr;

    Table &Tablebible() { return *m_tableBible; }
    Table &TableChapters() { return *m_tableChapters; }
    Table &TableVerses() { return *m_tableVerses; }

    // Character offsets of verse line starts: entry 0 is verse 1's line,
    // entry k the line after verse k; entries past the last verse are 0.
    std::array<int, MaxVerses + 1> VerseStarts{};
    int ChapterEndPos = 0;
    int LastCaretPos = 0;
    int LastTopLine = 0;
    int LastBottomLine = 0;
    int LastCaretLine = 0;
    bool MoveCaretOnVerseChange = true;

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createControls();
    void createActions();
    void RxRichEdit1KeyDown(int key);
    QToolButton *buttonForMnemonic(const QKeyEvent *event) const;
    void setButtonStates();
    void setCaret(int position);

    std::unique_ptr<Table> m_tableBible;
    std::unique_ptr<Table> m_tableChapters;
    std::unique_ptr<Table> m_tableVerses;
    std::unique_ptr<ChapterMarkup> m_markup; // opened at the first chapter load
    bool m_shownOnce = false;
};
