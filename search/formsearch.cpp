#include "formsearch.h"

#include "app/busycursor.h"
#include "app/pendingreference.h"
#include "scripture/sqltext.h"
#include "search/resultmenu.h"
#include "search/resultsgrid.h"
#include "search/searchstatement.h"

#include <QApplication>
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
#include <QVBoxLayout>

#include <limits>

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
    ResultMenu::attach(this);
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
        place(edit, {kEditLefts[i], kEditTop, kEditWidth, kEditHeight});
        *edits[i] = edit;
    }

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

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->installEventFilter(this);
    StringGridResults = new ResultsGrid(Panel2);
    StringGridResults->setObjectName(QStringLiteral("StringGridResults"));
    StringGridResults->installEventFilter(this);
    StringGridResults->setAccessibleName(text(kStringGridResultsAccessibleName));
    auto *panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    panel2Layout->addWidget(StringGridResults);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_statusPanel = new QLabel(StatusBar1);
    m_statusPanel->setMinimumWidth(kStatusPanelWidth);
    StatusBar1->addWidget(m_statusPanel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2, 1);
    layout->addWidget(StatusBar1);

    QWidget::setTabOrder(Edit1, Edit2);
    QWidget::setTabOrder(Edit2, Edit3);
    QWidget::setTabOrder(Edit3, Edit4);
    QWidget::setTabOrder(Edit4, Edit5);
    QWidget::setTabOrder(Edit5, ComboBoxconjunction);
    QWidget::setTabOrder(ComboBoxconjunction, BtnSearch);
    QWidget::setTabOrder(BtnSearch, StringGridResults);
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
    connect(grid, &ResultsGrid::gridDoubleClicked, this, &TFormSearch::StringGridResultsDblClick);
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

void TFormSearch::BtnSearchClick()
{
    BusyCursor busy;
    setStatusText(text(kSearchingText));
    // The search holds the event loop until it ends: show the status now.
    StatusBar1->repaint();
    QueryBible.close();
    StringGridResults->gridModel()->clearToEmptyRow();
    ResultBooks.clear();

    QStringList keywords;
    for (QLineEdit *box : keywordBoxes())
        keywords << SqlText::withoutControls(box->text());
    const bool all = ComboBoxconjunction->currentText() == text(kAllText);
    const QStringList statement = buildSearchStatement(keywords, all);
    // However the search ends, the status tells what the grid shows.
    const QString nothingFound = QLatin1String("0") + text(kFoundSuffix);
    if (statement.isEmpty()) {
        setStatusText(nothingFound);
        return;
    }

    QueryBible.clearSql();
    for (const QString &line : statement)
        QueryBible.addLine(line);
    try {
        QueryBible.open();
        if (QueryBible.isEmpty()) {
            setStatusText(nothingFound);
            return;
        }
        fillGrid();
    } catch (...) {
        StringGridResults->gridModel()->clearToEmptyRow();
        ResultBooks.clear();
        setStatusText(nothingFound);
        throw;
    }
}

void TFormSearch::fillGrid()
{
    int found = 0;
    {
        RepaintSuspended suspended(StringGridResults);
        ResultsGridModel::Fill fill(*StringGridResults->gridModel());
        QVector<qint32> books{0};
        QueryBible.first();
        // Fields are looked up once, not per row; one that is missing raises
        // the engine's own error.
        const auto column = [this](const QString &name) {
            const int index = QueryBible.fieldIndex(name);
            if (index < 0)
                QueryBible.fieldByName(name);
            return index;
        };
        const int bookColumn = column(QStringLiteral("Book"));
        const int nameColumn = column(QStringLiteral("BookName"));
        const int chapterColumn = column(QStringLiteral("Chapter"));
        const int verseColumn = column(QStringLiteral("Verse"));
        const int textColumn = column(QStringLiteral("Scripture Text"));
        // Chapter and verse numbers repeat down a large result: one shared
        // string for each.
        QVector<QString> numbers;
        const auto number = [&numbers](qint32 value) {
            if (value < 0 || value > 999)
                return QString::number(value);
            if (value >= numbers.size())
                numbers.resize(value + 1);
            QString &text = numbers[value];
            if (text.isNull())
                text = QString::number(value);
            return text;
        };
        // The engine's own types read directly; anything else goes through
        // the general conversions and their errors.
        const auto integer = [this](int index) {
            const QVariant &value = QueryBible.valueAt(index);
            if (value.typeId() == QMetaType::LongLong) {
                const qlonglong n = *static_cast<const qlonglong *>(value.constData());
                if (n >= std::numeric_limits<qint32>::min() &&
                    n <= std::numeric_limits<qint32>::max())
                    return qint32(n);
            }
            return FieldValue(value).asInteger();
        };
        const auto string = [this](int index) {
            const QVariant &value = QueryBible.valueAt(index);
            if (value.typeId() == QMetaType::QString)
                return *static_cast<const QString *>(value.constData());
            return FieldValue(value).asString();
        };
        while (!QueryBible.eof()) {
            const qint32 book = integer(bookColumn);
            fill.append({string(nameColumn), number(integer(chapterColumn)),
                         number(integer(verseColumn)), string(textColumn)});
            books.append(book);
            ++found;
            QueryBible.next();
        }
        fill.commit();
        ResultBooks = std::move(books);
    }
    setStatusText(QString::number(found) + text(kFoundSuffix));
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
    PendingReference.Book = ResultBooks.at(row);
    PendingReference.Chapter = StringGridResults->cell(1, row).toInt();
    PendingReference.Verse = StringGridResults->cell(2, row).toInt();
    OpenBookRequest = true;
}

bool TFormSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel2 && event->type() == QEvent::Resize)
        Panel2Resize();
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
