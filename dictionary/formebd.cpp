#include "formebd.h"

#include "scripture/sqltext.h"

#include "app/application.h"
#include "app/documentlauncher.h"
#include "app/plaintextdelegate.h"
#include "app/programfolder.h"
#include "scripture/dataset.h"

#include <QAbstractListModel>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QMetaMethod>
#include <QVBoxLayout>

#include <exception>

namespace {
// Design data of the window.
const char *const kCaption = "Easton's Bible Dictionary";
constexpr int kWidth = 309;
constexpr int kHeight = 329;
const char *const kFontFace = "MS Sans Serif";
constexpr int kFontPixels = 11;
constexpr int kPanel1Height = 77;
constexpr int kPanelBorder = 5;
const char *const kLabel1Text = "Type in the first few letters of the word you are looking for:";
const char *const kLabel3Text = "Search for:";
constexpr int kLabel3Left = 5, kLabel3Top = 32;
constexpr int kEdit1Left = 64, kEdit1Top = 28, kEdit1Width = 173;
const char *const kEdit1AccessibleName = "Search for";
const char *const kListAccessibleName = "Entries";
constexpr int kLabelGap = 2; // least space between Label1 and the search box
const char *const kLabel2Text = "Double-click an entry below to display its definition.";
// The one table file the word list's statements read.
const char *const kWordTable = "ebd.db";

// The dictionary table and the folder of its definition documents.
const char *const kWordField = "Word";
const char *const kLinkField = "link";
const char *const kDefinitionFolder = "ebd";
} // namespace

// The entry words of the current result, laid out by the list on demand so
// that a keystroke costs no more than the statement and one pass over it.
class EbdWordModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    void setWords(QStringList words)
    {
        beginResetModel();
        m_words = std::move(words);
        endResetModel();
    }
    const QStringList &words() const { return m_words; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_words.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_words.size())
            return QVariant();
        return m_words.at(index.row());
    }

private:
    QStringList m_words;
};

TFormebd::TFormebd(QWidget *parent) : QWidget(parent), m_queryebd(std::make_unique<Query>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();

    m_queryebd->setTableFiles({QString::fromLatin1(kWordTable)});
    for (const QString &line : creationStatement())
        m_queryebd->addLine(line);
    // The window opens with an empty list.
    ErrorReport::guard([this] { openQuery(); }, ErrorReport::later(this));

    connect(Edit1, &QLineEdit::textChanged, this,
            [this] { ErrorReport::guard([this] { Edit1Change(); }, ErrorReport::later(this)); });
}

TFormebd::~TFormebd() = default;

void TFormebd::createControls()
{
    setObjectName(QStringLiteral("Formebd"));
    setWindowTitle(QString::fromLatin1(kCaption));
    resize(kWidth, kHeight);
    QFont designFont(QString::fromLatin1(kFontFace));
    designFont.setPixelSize(kFontPixels);
    setFont(designFont);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setFixedHeight(kPanel1Height);
    Panel1->installEventFilter(this);

    Label1 = new QLabel(QString::fromLatin1(kLabel1Text), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label3 = new QLabel(QString::fromLatin1(kLabel3Text), Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(kLabel3Left, kLabel3Top);

    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(kEdit1Left, kEdit1Top, kEdit1Width, Edit1->sizeHint().height());
    Edit1->setAccessibleName(QString::fromLatin1(kEdit1AccessibleName));
    Label3->setBuddy(Edit1);

    Label2 = new QLabel(QString::fromLatin1(kLabel2Text), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::NoFrame);
    auto *panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(kPanelBorder, kPanelBorder, kPanelBorder, kPanelBorder);

    m_model = new EbdWordModel(this);
    RxDBLookupList1 = new QListView(Panel2);
    RxDBLookupList1->setObjectName(QStringLiteral("RxDBLookupList1"));
    RxDBLookupList1->setAccessibleName(QString::fromLatin1(kListAccessibleName));
    RxDBLookupList1->setModel(m_model);
    RxDBLookupList1->setUniformItemSizes(true);
    RxDBLookupList1->setItemDelegate(new PlainTextDelegate(RxDBLookupList1));
    RxDBLookupList1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RxDBLookupList1->setSelectionMode(QAbstractItemView::SingleSelection);
    RxDBLookupList1->installEventFilter(this);
    RxDBLookupList1->viewport()->installEventFilter(this);
    panel2Layout->addWidget(RxDBLookupList1);
    connect(RxDBLookupList1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                ErrorReport::guard([&] { followCurrentEntry(current.row()); },
                                   ErrorReport::later(this));
            });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2, 1);

    setTabOrder(Edit1, RxDBLookupList1);
}

// Label1 sits at the top of Panel1 and Label2 at its bottom, inside its
// border; Label3 and Edit1 keep their design places between them. A font
// wider than the design's may wrap Label1 onto more lines than the design
// leaves room for: the search row and the panel's bottom then move down
// rather than let the label run under the search box.
void TFormebd::layoutPanel1()
{
    if (!Label1 || !Label2)
        return;
    const int width = Panel1->width() - 2 * kPanelBorder;
    const int label1Height = Label1->heightForWidth(width);
    Label1->setGeometry(kPanelBorder, kPanelBorder, width, label1Height);
    const int shift = qMax(0, kPanelBorder + label1Height + kLabelGap - kEdit1Top);
    Label3->move(kLabel3Left, kLabel3Top + shift);
    Edit1->move(kEdit1Left, kEdit1Top + shift);
    if (Panel1->height() != kPanel1Height + shift)
        Panel1->setFixedHeight(kPanel1Height + shift);
    const int label2Height = Label2->sizeHint().height();
    Label2->setGeometry(kPanelBorder, Panel1->height() - kPanelBorder - label2Height, width,
                        label2Height);
}

QStringList TFormebd::creationStatement()
{
    return {QStringLiteral("Select * from ") + QLatin1String(kWordTable),
            QStringLiteral("where upper(word) like '%%'"), QStringLiteral("order by word")};
}

QStringList TFormebd::searchStatement(const QString &text)
{
    // An apostrophe inside the quoted pattern is written twice, so that a
    // word such as "Solomon's" is looked for rather than ending the string.
    const QString pattern = SqlText::quotedInPattern(SqlText::asciiUpper(text));
    return {QStringLiteral("select * from ") + QLatin1String(kWordTable),
            QStringLiteral("where upper(word) like '%") + pattern + QStringLiteral("%'"),
            QStringLiteral("order by word")};
}

QStringList TFormebd::words() const
{
    return m_model->words();
}

int TFormebd::currentRow() const
{
    const QModelIndex current = RxDBLookupList1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TFormebd::Edit1Change()
{
    Query &query = *m_queryebd;
    query.close();
    query.clearSql();
    for (const QString &line : searchStatement(SqlText::withoutControls(Edit1->text())))
        query.addLine(line);
    openQuery();
}

void TFormebd::openQuery()
{
    try {
        m_queryebd->open();
        refreshList();
    } catch (...) {
        m_queryebd->close();
        m_model->setWords(QStringList());
        throw;
    }
}

void TFormebd::refreshList()
{
    Query &query = *m_queryebd;
    const QString wordField = QString::fromLatin1(kWordField);
    QStringList entries;
    entries.reserve(query.recordCount());
    // The field is looked up once, not per entry (a missing one raises the
    // engine's own error); a text value is taken as it is.
    const int word = query.fieldIndex(wordField);
    for (query.first(); !query.eof(); query.next()) {
        if (word < 0) {
            entries.append(query.fieldByName(wordField).asString());
            continue;
        }
        const QVariant &value = query.valueAt(word);
        entries.append(value.typeId() == QMetaType::QString
                           ? *static_cast<const QString *>(value.constData())
                           : FieldValue(value).asString());
    }
    query.first();
    m_model->setWords(std::move(entries));
    if (m_model->rowCount() > 0)
        RxDBLookupList1->setCurrentIndex(m_model->index(0));
}

// The query's current row is the list's current entry.
void TFormebd::followCurrentEntry(int row)
{
    Query &query = *m_queryebd;
    if (!query.active() || row < 0 || row >= query.recordCount())
        return;
    query.first();
    for (int k = 0; k < row; ++k)
        query.next();
}

void TFormebd::RxDBLookupList1DblClick()
{
    ErrorReport::guard([this] {
        Query &query = *m_queryebd;
        if (!query.active() || query.isEmpty() || currentRow() < 0)
            return;
        followCurrentEntry(currentRow());
        const QString link = query.fieldByName(QString::fromLatin1(kLinkField)).asString();
        const QString definition = ProgramFolder::path() + QString::fromLatin1(kDefinitionFolder) +
                                   QDir::separator() + link;
        // The owner shows it in the viewer in force; a dictionary on its own
        // in the built-in window.
        if (isSignalConnected(QMetaMethod::fromSignal(&TFormebd::documentRequested)))
            emit documentRequested(definition);
        else
            DocumentLauncher::launch(DocumentLauncher::defaultSetting(), definition);
    });
}

bool TFormebd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel1) {
        if (event->type() == QEvent::Resize)
            layoutPanel1();
    } else if (RxDBLookupList1 && watched == RxDBLookupList1->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            RxDBLookupList1DblClick();
            return true;
        }
    } else if (RxDBLookupList1 && watched == RxDBLookupList1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RxDBLookupList1DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormebd::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // In the main window the frame takes the design size, centred in the
    // client area.
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        frame->resize(kWidth, kHeight);
        if (QWidget *area = frame->parentWidget())
            frame->move(qMax(0, (area->width() - kWidth) / 2),
                        qMax(0, (area->height() - kHeight) / 2));
    }
    Edit1->setFocus();
}
