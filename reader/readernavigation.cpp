// Going where the person means and back again: jumps to a place, the
// reader's Back and Forward, and the mark behind a range of verses.

#include "reader/formbook.h"

#include "reader/glyphbutton.h"
#include "reader/versemark.h"

#include <QAction>
#include <QComboBox>
#include <QMouseEvent>
#include <QStyle>
#include <QTextBlock>

// Design data of Back and Forward, beside the reader's other buttons.
namespace {
struct HistoryButton
{
    QToolButton *TFormBook::*button;
    QAction *TFormBook::*action;
    const char *name;
    const char *actionName;
    int left;
    const char *caption;
    const char *hint;
    QStyle::StandardPixmap glyph;
    QKeySequence shortcut;
    void (TFormBook::*handler)();
};
const int kHistoryButtonWidth = 52;
const int kHistoryButtonHeight = 50;
const HistoryButton kHistoryButtons[] = {
    {&TFormBook::RxSpeedButtonBack, &TFormBook::Back1, "RxSpeedButtonBack", "Back1", 382, "Back",
     "Go Back (Alt+Left)", QStyle::SP_ArrowBack, QKeySequence(Qt::ALT | Qt::Key_Left),
     &TFormBook::RxSpeedButtonBackClick},
    {&TFormBook::RxSpeedButtonForward, &TFormBook::Forward1, "RxSpeedButtonForward", "Forward1",
     435, "Forward", "Go Forward (Alt+Right)", QStyle::SP_ArrowForward,
     QKeySequence(Qt::ALT | Qt::Key_Right), &TFormBook::RxSpeedButtonForwardClick},
};

// The mouse's own back and forward buttons, anywhere over the reader.
class MouseSteps : public QObject
{
public:
    explicit MouseSteps(TFormBook *reader) : QObject(reader), m_reader(reader) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::BackButton) {
                m_reader->RxSpeedButtonBackClick();
                return true;
            }
            if (mouse->button() == Qt::ForwardButton) {
                m_reader->RxSpeedButtonForwardClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TFormBook *m_reader;
};
} // namespace

TFormBook::Jump::Jump(TFormBook &reader) : m_reader(reader), m_from(reader.m_settledPlace)
{
    ++m_reader.m_jumpDepth;
}

TFormBook::Jump::~Jump()
{
    if (--m_reader.m_jumpDepth > 0)
        return;
    const ReaderPlace to = m_reader.currentPlace();
    if (to != m_from && m_from.Book > 0)
        m_reader.m_history.recordJump(m_from);
    m_reader.m_settledPlace = to;
    m_reader.setHistoryButtonStates();
}

void TFormBook::createNavigation()
{
    auto *strip = findChild<QWidget *>(QStringLiteral("PanelButtons"));
    for (const HistoryButton &design : kHistoryButtons) {
        auto *button = new GlyphButton(strip ? strip : this);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setText(QString::fromLatin1(design.caption));
        button->setToolTip(QString::fromLatin1(design.hint));
        button->setAccessibleName(QString::fromLatin1(design.caption));
        button->setIcon(style()->standardIcon(design.glyph));
        button->setGeometry(design.left, 1, kHistoryButtonWidth, kHistoryButtonHeight);
        button->setEnabled(false);
        // Unlike the buttons with letters, these are reached with Tab too.
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QToolButton::clicked, this, design.handler);
        this->*(design.button) = button;

        auto *action = new QAction(QString::fromLatin1(design.caption), this);
        action->setObjectName(QString::fromLatin1(design.actionName));
        action->setShortcut(design.shortcut);
        // Each reader keeps its own history: the keys act on the reader
        // that has the focus.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, design.handler);
        addAction(action);
        this->*(design.action) = action;
    }
    auto *mouse = new MouseSteps(this);
    installEventFilter(mouse);
    RxRichEdit1->viewport()->installEventFilter(mouse);

    // Between jumps the place follows the reading (the caption follows the
    // caret), so that Back returns to the verse that was being read.
    connect(this, &QWidget::windowTitleChanged, this, [this] {
        if (m_jumpDepth == 0)
            m_settledPlace = currentPlace();
    });
}

ReaderPlace TFormBook::currentPlace() const
{
    return {ComboBoxBook->currentIndex() + 1, ComboBoxChapter->currentIndex() + 1,
            ComboBoxVerse->currentIndex() + 1};
}

void TFormBook::setHistory(const ReaderHistory &history)
{
    m_history = history;
    setHistoryButtonStates();
}

void TFormBook::setHistoryButtonStates()
{
    RxSpeedButtonBack->setEnabled(m_history.canGoBack());
    RxSpeedButtonForward->setEnabled(m_history.canGoForward());
}

// The same steps as a new reader takes, without reloading a chapter that
// is already shown.
void TFormBook::showPlace(const ReaderPlace &place)
{
    // A table that fails part-way still leaves the place following the
    // reading afterwards.
    struct Depth
    {
        int &depth;
        explicit Depth(int &d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(m_jumpDepth);
    if (ComboBoxBook->currentIndex() != place.Book - 1 ||
        ComboBoxChapter->currentIndex() != place.Chapter - 1) {
        if (ComboBoxBook->currentIndex() != place.Book - 1) {
            ComboBoxBook->setCurrentIndex(place.Book - 1);
            BuildComboChapter();
        }
        ComboBoxChapter->setCurrentIndex(place.Chapter - 1);
        ComboBoxChapterChange();
    }
    ComboBoxVerse->setCurrentIndex(place.Verse - 1);
    MoveCaretOnVerseChange = true;
    ComboBoxVerseChange();
}

void TFormBook::goTo(int book, int chapter, int verse)
{
    const Jump jump(*this);
    // A new place asked for: the last range asked for is no longer marked,
    // even within the same chapter.
    m_markedVerses = {0, 0};
    refreshExtraSelections();
    showPlace({book, chapter, verse});
}

void TFormBook::RxSpeedButtonBackClick()
{
    if (m_history.canGoBack()) {
        showPlace(m_history.goBack(currentPlace()));
        m_settledPlace = currentPlace();
        setHistoryButtonStates();
    }
    RxRichEdit1->setFocus();
}

void TFormBook::RxSpeedButtonForwardClick()
{
    if (m_history.canGoForward()) {
        showPlace(m_history.goForward(currentPlace()));
        m_settledPlace = currentPlace();
        setHistoryButtonStates();
    }
    RxRichEdit1->setFocus();
}
