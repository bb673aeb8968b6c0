// The verse search window: up to five keywords, "all" or "any" of them,
// and a grid of every verse that holds them. A double-click on a result
// asks the main window for a reader at that verse.
#pragma once

#include "scripture/dataset.h"
#include "scripture/referenceparser.h"

#include <QVector>
#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QTextEdit;
class QLineEdit;
class QPushButton;
class QStatusBar;
class ResultsGrid;
struct VerseReference;

class TFormSearch : public QWidget
{
    Q_OBJECT
public:
    explicit TFormSearch(QWidget *parent = nullptr);
    ~TFormSearch() override;

    QWidget *Panel1 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QLineEdit *Edit5 = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *ComboBoxconjunction = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *BtnSearch = nullptr;
    QLabel *Panel3 = nullptr;
    QWidget *Panel2 = nullptr;
    ResultsGrid *StringGridResults = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    // Beyond the design: the options row under the keywords and the pane
    // that shows the selected verse whole.
    QWidget *PanelOptions = nullptr;
    QLabel *LabelScope = nullptr;
    QComboBox *ComboBoxScope = nullptr;
    QCheckBox *CheckBoxMatchCase = nullptr;
    QCheckBox *CheckBoxWholeWords = nullptr;
    QTextEdit *MemoVerse = nullptr;

    // The design's query object. The search now scans the verse texts held
    // in memory (search/versescan.h), so it stays closed.
    Query QueryBible;
    // Entry r is the book number of grid row r; entry 0 (the heading row)
    // is unused. Empty until a search has found verses.
    QVector<qint32> ResultBooks;
    // The grid row of the cell selected last in this window; 0 until then.
    int SelectedRow = 0;

    std::array<QLineEdit *, 5> keywordBoxes() const { return {Edit1, Edit2, Edit3, Edit4, Edit5}; }
    // The text of the status bar's first panel.
    QString statusText() const;
    // The second panel: in how many books the verses are.
    QString booksText() const;
    // The keywords of the last search, as the results highlight them.
    QStringList searchedKeywords() const { return m_keywords; }

public slots:
    void BtnSearchClick();
    void Panel2Resize();
    void StringGridResultsSelectCell(int column, int row);
    void StringGridResultsDblClick();

signals:
    // A result was chosen: a reader at its verse, marked with the keywords
    // as the search matched them. Every request asks for its own reader.
    void OpenBookRequest(const VerseReference &place);
    // The result menu's "Open in active reader": the result's verse shown in
    // the reader in use, as a jump it can go back from.
    void openInActiveReaderRequested(const ReferenceParser::Reference &reference);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createControls();
    // The context menu of a result (search/resultmenu.cpp).
    void createResultMenu();
    void openInActiveReader();
    void FormCreate();
    void runSearch();
    void setStatusText(const QString &text);
    void fillGrid(const class VerseTexts &texts, const QVector<int> &verses);
    void createOptions();
    void ownAltLetter(const QString &caption, QWidget *target);
    void layOutKeywords();
    void showSelectedVerse();

    QLabel *m_statusPanel = nullptr;
    QLabel *m_booksPanel = nullptr;
    QStringList m_keywords;
    bool m_matchCase = false;
    bool m_wholeWords = false;
    bool m_placed = false;
};
