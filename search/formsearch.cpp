#include "formsearch.h"

#include "app/application.h"
#include "app/busycursor.h"
#include "app/pendingreference.h"
#include "scripture/bookcatalogue.h"
#include "scripture/sqltext.h"
#include "search/keywordmatcher.h"
#include "search/resultsgrid.h"
#include "search/searchstatement.h"
#include "search/versescan.h"
#include "search/versetexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// ---- Design data -----------------------------------------------------------

const char *const kCaption = "Find Verses";
constexpr QSize kWindowSize(457, 348);
const char *const kFontFamily = "MS Sans Serif";
constexpr int kFontPixels = 11;

constexpr int kPanel1Height = 85;
constexpr int kPanel3Height = 17;
const char *const kPanel3Text = "Double-click a verse below to view it in context.";

struct Place
{
    int x, y, width, height; // width/height 0: the control's natural size
};

const char *const kLabel4Text = "Keywords:";
constexpr Place kLabel4{10, 13, 0, 0};
constexpr int kEditWidth = 70;
constexpr int kEditHeight = 21;
constexpr int kEditTop = 10;
constexpr int kEditLefts[5] = {62, 134, 206, 278, 350};
const char *const kEditAccessibleName = "Keyword %1";
const char *const kLabel2Text = "Find all verses that contain";
constexpr Place kLabel2{10, 41, 0, 0};
const char *const kConjunctionItems[] = {"all", "any"};
constexpr Place kComboBoxconjunction{146, 38, 41, 21};
const char *const kComboBoxconjunctionAccessibleName = "Find verses containing";
const char *const kLabel3Text = "of these words.";
constexpr Place kLabel3{194, 41, 0, 0};
const char *const kBtnSearchText = "&Start Search";
constexpr Place kBtnSearch{343, 37, 77, 23};

const char *const kHeadings[] = {"Book", "Ch", "Vs", "Text"};
constexpr int kColumnWidths[] = {90, 25, 25}; // column 3 takes the rest
constexpr int kTextColumnAllowance = 25;      // room for the grid's vertical scroll bar
constexpr int kDefaultRowHeight = 16;
constexpr int kStatusPanelWidth = 100;
const char *const kStringGridResultsAccessibleName = "Results";

// The options row under the keywords, the selected verse's pane below the
// grid, and the status's second panel.
constexpr int kPanelOptionsHeight = 26;
const char *const kLabelScopeText = "Search &in:";
constexpr Place kLabelScope{10, 6, 0, 0};
constexpr Place kComboBoxScope{68, 2, 130, 21};
const char *const kScopeItems[] = {"Whole Bible", "Old Testament", "New Testament"};
constexpr int kOldTestamentBooks = 39;
const char *const kMatchCaseText = "Match &case";
constexpr Place kCheckBoxMatchCase{212, 4, 0, 0};
const char *const kWholeWordsText = "Whole w&ords";
constexpr Place kCheckBoxWholeWords{310, 4, 0, 0};
constexpr int kMemoVerseLines = 3;
const char *const kMemoVerseAccessibleName = "Selected verse";
const char *const kBooksText = "in %1 Book(s)";
// Longer keywords are cut as they are typed or pasted: the longest verse has
// 528 characters, so a plain keyword that could be found is never cut.
constexpr int kKeywordMaxLength = 1000;
const char *const kKeywordTooLongText = "A keyword holds at most %1 characters.";

const char *const kSearchingText = "Searching...";
const char *const kFoundSuffix = " Verse(s) Found";
const char *const kAllText = "all";

// ---------------------------------------------------------------------------

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

// No repaint per row while the grid fills; one repaint at the end.
class RepaintSuspended
{
public:
    explicit RepaintSuspended(QWidget *widget) : m_widget(widget)
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~RepaintSuspended() { m_widget->setUpdatesEnabled(true); }
    RepaintSuspended(const RepaintSuspended &) = delete;
    RepaintSuspended &operator=(const RepaintSuspended &) = delete;

private:
    QWidget *m_widget;
};

void place(QWidget *widget, const Place &where)
{
    if (where.width > 0)
        widget->setGeometry(where.x, where.y, where.width, where.height);
    else {
        widget->adjustSize();
        widget->move(where.x, where.y);
    }
}

} // namespace

TFormSearch::TFormSearch(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(text(kCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont designFont(text(kFontFamily));
    designFont.setPixelSize(kFontPixels);
    setFont(designFont);
    resize(kWindowSize);
    createControls();
    createResultMenu();
    FormCreate();
}

TFormSearch::~TFormSearch() = default;

void TFormSearch::createControls()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kPanel1Height);

    Label4 = new QLabel(text(kLabel4Text), Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    place(Label4, kLabel4);

    QLineEdit **edits[5] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5};
    for (int i = 0; i < 5; ++i) {
        QLineEdit *edit = new QLineEdit(Panel1);
        edit->installEventFilter(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        edit->setAccessibleName(text(kEditAccessibleName).arg(i + 1));
        edit->setMaxLength(kKeywordMaxLength);
        connect(edit, &QLineEdit::inputRejected, this,
                [this] { setStatusText(text(kKeywordTooLongText).arg(kKeywordMaxLength)); });
        place(edit, {kEditLefts[i], kEditTop, kEditWidth, kEditHeight});
        *edits[i] = edit;
    }
    Panel1->installEventFilter(this);

    Label2 = new QLabel(text(kLabel2Text), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    place(Label2, kLabel2);
    Label4->setBuddy(Edit1);

    ComboBoxconjunction = new QComboBox(Panel1);
    ComboBoxconjunction->setObjectName(QStringLiteral("ComboBoxconjunction"));
    for (const char *item : kConjunctionItems)
        ComboBoxconjunction->addItem(text(item));
    ComboBoxconjunction->installEventFilter(this);
    ComboBoxconjunction->setAccessibleName(text(kComboBoxconjunctionAccessibleName));
    Label2->setBuddy(ComboBoxconjunction);
    place(ComboBoxconjunction, kComboBoxconjunction);

    Label3 = new QLabel(text(kLabel3Text), Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    place(Label3, kLabel3);

    BtnSearch = new QPushButton(text(kBtnSearchText), Panel1);
    BtnSearch->setObjectName(QStringLiteral("BtnSearch"));
    BtnSearch->setDefault(true);
    place(BtnSearch, kBtnSearch);
    connect(BtnSearch, &QPushButton::clicked, this, &TFormSearch::BtnSearchClick);
    // Alt+S belongs to the search window that has the focus: a window-wide
    // mnemonic would be ambiguous as soon as two search windows are open.
    BtnSearch->setShortcut(QKeySequence());
    auto *startSearch = new QShortcut(QKeySequence::mnemonic(BtnSearch->text()), this);
    startSearch->setContext(Qt::WidgetWithChildrenShortcut);
    connect(startSearch, &QShortcut::activated, BtnSearch, &QPushButton::click);

    Panel3 = new QLabel(text(kPanel3Text), Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel3->setAlignment(Qt::AlignCenter);
    Panel3->setFixedHeight(kPanel3Height);
    // The hint may be clipped: the window can be narrower than the sentence.
    Panel3->setMinimumWidth(1);
    auto *panel1Layout = new QVBoxLayout(Panel1);
    panel1Layout->setContentsMargins(0, 0, 0, 0);
    panel1Layout->addStretch();
    panel1Layout->addWidget(Panel3);

    createOptions();

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->installEventFilter(this);
    StringGridResults = new ResultsGrid(Panel2);
    StringGridResults->setObjectName(QStringLiteral("StringGridResults"));
    StringGridResults->installEventFilter(this);
    StringGridResults->setAccessibleName(text(kStringGridResultsAccessibleName));
    auto *panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    panel2Layout->setSpacing(0);
    panel2Layout->addWidget(StringGridResults, 1);
    MemoVerse = new QTextEdit(Panel2);
    MemoVerse->setObjectName(QStringLiteral("MemoVerse"));
    MemoVerse->setReadOnly(true);
    MemoVerse->setAccessibleName(text(kMemoVerseAccessibleName));
    MemoVerse->setFixedHeight(kMemoVerseLines * MemoVerse->fontMetrics().lineSpacing() +
                              2 * MemoVerse->frameWidth() +
                              2 * int(MemoVerse->document()->documentMargin()));
    panel2Layout->addWidget(MemoVerse);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_statusPanel = new QLabel(StatusBar1);
    m_statusPanel->setMinimumWidth(kStatusPanelWidth);
    StatusBar1->addWidget(m_statusPanel);
    m_booksPanel = new QLabel(StatusBar1);
    // The window may be narrowed below both panels; the second gives way.
    m_booksPanel->setMinimumWidth(1);
    StatusBar1->addWidget(m_booksPanel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(PanelOptions);
    layout->addWidget(Panel2, 1);
    layout->addWidget(StatusBar1);

    QWidget::setTabOrder(Edit1, Edit2);
    QWidget::setTabOrder(Edit2, Edit3);
    QWidget::setTabOrder(Edit3, Edit4);
    QWidget::setTabOrder(Edit4, Edit5);
    QWidget::setTabOrder(Edit5, ComboBoxconjunction);
    QWidget::setTabOrder(ComboBoxconjunction, BtnSearch);
    QWidget::setTabOrder(BtnSearch, ComboBoxScope);
    QWidget::setTabOrder(ComboBoxScope, CheckBoxMatchCase);
    QWidget::setTabOrder(CheckBoxMatchCase, CheckBoxWholeWords);
    QWidget::setTabOrder(CheckBoxWholeWords, StringGridResults);
    QWidget::setTabOrder(StringGridResults, MemoVerse);
    setFocusProxy(Edit1);

    ResultsGrid *grid = StringGridResults;
    grid->setShowGrid(false);
    grid->setWordWrap(false);
    // A verse wider than its column is cut at the column's edge, as a string
    // grid's cell is, rather than shortened with an ellipsis.
    grid->setTextElideMode(Qt::ElideNone);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid->setTabKeyNavigation(true);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(kDefaultRowHeight);
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(grid, &ResultsGrid::cellSelected, this, &TFormSearch::StringGridResultsSelectCell);
    connect(grid, &ResultsGrid::cellSelected, this, &TFormSearch::showSelectedVerse);
    connect(grid, &ResultsGrid::gridDoubleClicked, this, &TFormSearch::StringGridResultsDblClick);
}

// An Alt letter that belongs to the search window with the focus: a
// window-wide one would be ambiguous as soon as two search windows are open.
void TFormSearch::ownAltLetter(const QString &caption, QWidget *target)
{
    auto *shortcut = new QShortcut(QKeySequence::mnemonic(caption), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, target, [target] {
        target->setFocus(Qt::ShortcutFocusReason);
        if (auto *box = qobject_cast<QCheckBox *>(target))
            box->click();
    });
}

void TFormSearch::createOptions()
{
    PanelOptions = new QWidget(this);
    PanelOptions->setObjectName(QStringLiteral("PanelOptions"));
    PanelOptions->setFixedHeight(kPanelOptionsHeight);

    // The label shows its Alt letter underlined without taking it window-wide.
    const QString scopeCaption = text(kLabelScopeText);
    QString shown = scopeCaption;
    const int amp = int(shown.indexOf(QLatin1Char('&')));
    shown = shown.left(amp) + QLatin1String("<u>") + shown.mid(amp + 1, 1) + QLatin1String("</u>") +
            shown.mid(amp + 2);
    LabelScope = new QLabel(shown, PanelOptions);
    LabelScope->setObjectName(QStringLiteral("LabelScope"));
    LabelScope->setTextFormat(Qt::RichText);
    place(LabelScope, kLabelScope);

    ComboBoxScope = new QComboBox(PanelOptions);
    ComboBoxScope->setObjectName(QStringLiteral("ComboBoxScope"));
    for (const char *item : kScopeItems)
        ComboBoxScope->addItem(text(item));
    ComboBoxScope->addItems(BookCatalogue::names());
    ComboBoxScope->setAccessibleName(
        QString(scopeCaption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    ComboBoxScope->installEventFilter(this);
    place(ComboBoxScope, kComboBoxScope);
    ownAltLetter(scopeCaption, ComboBoxScope);

    const auto checkBox = [this](const char *caption, const char *name, const Place &where) {
        auto *box = new QCheckBox(text(caption), PanelOptions);
        box->setObjectName(QString::fromLatin1(name));
        box->setShortcut(QKeySequence());
        box->setAccessibleName(text(caption).remove(QLatin1Char('&')));
        box->installEventFilter(this);
        place(box, where);
        ownAltLetter(text(caption), box);
        return box;
    };
    CheckBoxMatchCase = checkBox(kMatchCaseText, "CheckBoxMatchCase", kCheckBoxMatchCase);
    CheckBoxWholeWords = checkBox(kWholeWordsText, "CheckBoxWholeWords", kCheckBoxWholeWords);
}

// The keyword boxes keep the design's places at the design's width and
// share whatever the window is widened by.
void TFormSearch::layOutKeywords()
{
    const int extra = qMax(0, Panel1->width() - kWindowSize.width());
    const auto boxes = keywordBoxes();
    for (int i = 0; i < 5; ++i) {
        const int grow = extra * (i + 1) / 5 - extra * i / 5;
        boxes[std::size_t(i)]->setGeometry(kEditLefts[i] + extra * i / 5, kEditTop,
                                           kEditWidth + grow, kEditHeight);
    }
}

void TFormSearch::FormCreate()
{
    ResultsGrid *grid = StringGridResults;
    for (int column = 0; column < 3; ++column)
        grid->setColumnWidth(column, kColumnWidths[column]);
    QStringList headings;
    for (const char *heading : kHeadings)
        headings << text(heading);
    grid->gridModel()->setHeadings(headings);
    ComboBoxconjunction->setCurrentIndex(ComboBoxconjunction->findText(text(kAllText)));
    setStatusText(QLatin1String("0") + text(kFoundSuffix));
    Panel2Resize();
}

QString TFormSearch::statusText() const
{
    return m_statusPanel->text();
}

void TFormSearch::setStatusText(const QString &status)
{
    m_statusPanel->setText(status);
    // The focus stays in the keyword box after a search; whoever moves on
    // to the results hears how many there are.
    StringGridResults->setAccessibleDescription(status);
}

QString TFormSearch::booksText() const
{
    return m_booksPanel->text();
}

// A search that fails leaves an empty grid and tells why.
void TFormSearch::BtnSearchClick()
{
    ErrorReport::guard([this] { runSearch(); });
}

// The design's statement sought each keyword in three case forms only; the
// verses are now read once and searched in memory, in every case form unless
// the case is to match, within the chosen books.
void TFormSearch::runSearch()
{
    BusyCursor busy;
    setStatusText(text(kSearchingText));
    m_booksPanel->clear();
    // The search holds the event loop until it ends: show the status now.
    StatusBar1->repaint();
    QueryBible.close();
    StringGridResults->gridModel()->clearToEmptyRow();
    ResultBooks.clear();
    MemoVerse->clear();

    QStringList keywords;
    bool anyKeyword = false;
    for (QLineEdit *box : keywordBoxes()) {
        keywords << SqlText::withoutControls(box->text()).left(kKeywordMaxLength);
        anyKeyword = anyKeyword || !SearchStatement::isBlankKeyword(keywords.back());
    }
    SearchOptions options;
    options.all = ComboBoxconjunction->currentText() == text(kAllText);
    options.matchCase = CheckBoxMatchCase->isChecked();
    options.wholeWords = CheckBoxWholeWords->isChecked();
    const int scope = ComboBoxScope->currentIndex();
    const int scopes = int(std::size(kScopeItems));
    if (scope == 1) {
        options.lastBook = kOldTestamentBooks;
    } else if (scope == 2) {
        options.firstBook = kOldTestamentBooks + 1;
    } else if (scope >= scopes) {
        options.firstBook = options.lastBook = scope - scopes + 1;
    }
    m_keywords = keywords;
    m_matchCase = options.matchCase;
    m_wholeWords = options.wholeWords;
    StringGridResults->gridModel()->setKeywords(keywords, options.matchCase, options.wholeWords);
    // However the search ends, the status tells what the grid shows.
    const QString nothingFound = QLatin1String("0") + text(kFoundSuffix);
    if (!anyKeyword) {
        setStatusText(nothingFound);
        return;
    }
    try {
        const std::shared_ptr<const VerseTexts> texts = VerseTexts::current();
        const QVector<int> verses = VerseScan::findVerses(*texts, keywords, options);
        if (verses.isEmpty()) {
            setStatusText(nothingFound);
            return;
        }
        fillGrid(*texts, verses);
    } catch (...) {
        StringGridResults->gridModel()->clearToEmptyRow();
        ResultBooks.clear();
        setStatusText(nothingFound);
        throw;
    }
}

void TFormSearch::fillGrid(const VerseTexts &texts, const QVector<int> &verses)
{
    int books = 0;
    {
        RepaintSuspended suspended(StringGridResults);
        ResultsGridModel::Fill fill(*StringGridResults->gridModel());
        QVector<qint32> bookOfRow;
        bookOfRow.reserve(verses.size() + 1);
        bookOfRow.append(0);
        // Book names, chapter and verse numbers repeat down a large result:
        // one shared string for each.
        QVector<QString> numbers(200);
        const auto number = [&numbers](int value) {
            if (value < 0 || value >= numbers.size())
                return QString::number(value);
            QString &text = numbers[value];
            if (text.isNull())
                text = QString::number(value);
            return text;
        };
        int lastBook = 0;
        QString bookName;
        for (const int verse : verses) {
            const int book = texts.book(verse);
            if (book != lastBook) {
                lastBook = book;
                bookName = texts.bookName(book);
                ++books;
            }
            const QByteArrayView bytes = texts.text(verse);
            fill.append({bookName, number(texts.chapter(verse)), number(texts.verseNumber(verse)),
                         QString::fromUtf8(bytes.data(), bytes.size())});
            bookOfRow.append(book);
        }
        fill.commit();
        ResultBooks = std::move(bookOfRow);
    }
    setStatusText(QString::number(verses.size()) + text(kFoundSuffix));
    m_booksPanel->setText(text(kBooksText).arg(books));
}

void TFormSearch::showSelectedVerse()
{
    const int row = SelectedRow;
    const QString verse = StringGridResults->cell(3, row);
    if (row <= 0 || verse.isEmpty()) {
        MemoVerse->clear();
        return;
    }
    // The whole verse, its reference first, with the keywords in bold.
    QString html = QStringLiteral("<b>%1 %2:%3</b> ")
                       .arg(StringGridResults->cell(0, row).toHtmlEscaped(),
                            StringGridResults->cell(1, row), StringGridResults->cell(2, row));
    int at = 0;
    for (const auto &span : KeywordMatcher::spans(verse, m_keywords, m_matchCase, m_wholeWords)) {
        html += verse.mid(at, span.first - at).toHtmlEscaped() + QLatin1String("<b>") +
                verse.mid(span.first, span.second - span.first).toHtmlEscaped() +
                QLatin1String("</b>");
        at = span.second;
    }
    html += verse.mid(at).toHtmlEscaped();
    MemoVerse->setHtml(html);
}

void TFormSearch::Panel2Resize()
{
    const QHeaderView *header = StringGridResults->horizontalHeader();
    const int taken = StringGridResults->columnWidth(0) + kTextColumnAllowance +
                      StringGridResults->columnWidth(1) + StringGridResults->columnWidth(2);
    // A panel narrower than the first three columns leaves the text column
    // at its narrowest rather than hiding it.
    const int width = qMax(Panel2->width() - taken, header->minimumSectionSize());
    StringGridResults->setColumnWidth(3, width);
}

void TFormSearch::StringGridResultsSelectCell(int column, int row)
{
    Q_UNUSED(column);
    SelectedRow = row;
}

void TFormSearch::StringGridResultsDblClick()
{
    const int row = SelectedRow;
    if (row <= 0 || row >= ResultBooks.size() || StringGridResults->cell(0, row).isEmpty())
        return;
    VerseReference place;
    place.Book = ResultBooks.at(row);
    place.Chapter = StringGridResults->cell(1, row).toInt();
    place.Verse = StringGridResults->cell(2, row).toInt();
    place.MarkVerse = true;
    place.Words = m_keywords;
    place.MatchCase = m_matchCase;
    place.WholeWords = m_wholeWords;
    emit OpenBookRequest(place);
}

bool TFormSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel2 && event->type() == QEvent::Resize)
        Panel2Resize();
    if (watched == Panel1 && event->type() == QEvent::Resize)
        layOutKeywords();
    // Enter or Space on a result opens it, as a double-click does, so that
    // the results can be read without a mouse.
    if (watched == StringGridResults) {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
            if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                          key->key() == Qt::Key_Space)) {
                StringGridResultsDblClick();
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    // The search button is the window's default button: Enter in a keyword
    // box or in the list starts the search.
    if (event->type() == QEvent::KeyPress && watched != Panel2) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            BtnSearch->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormSearch::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!frame || !frame->mdiArea())
        return;
    frame->resize(kWindowSize);
    const QRect area = frame->mdiArea()->viewport()->rect();
    const QPoint topLeft = area.center() - QPoint(frame->width() / 2, frame->height() / 2);
    frame->move(qMax(topLeft.x(), 0), qMax(topLeft.y(), 0));
}
