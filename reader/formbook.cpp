#include "formbook.h"

#include "app/application.h"
#include "app/busycursor.h"
#include "app/pendingreference.h"
#include "options/appearance.h"
#include "options/sampleholders.h"
#include "reader/buttonstrip.h"
#include "reader/chaptermarkup.h"
#include "reader/chaptertextedit.h"
#include "reader/glyphbutton.h"
#include "resources/artwork.h"
#include "scripture/bookcatalogue.h"
#include "scripture/scripturetext.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

// Design data of the reader window.
namespace {
const QSize kLayoutSize(591, 416);
const int kTopStripHeight = 32;
const int kButtonStripHeight = 52;
const int kButtonHeight = 50;
const int kStatusBarHeight = 18;
const int kStatusPanelWidths[3] = {80, 120, 100};
const char *const kStatusPanelTexts[3] = {"Done", "Chapter Count: 999", "Verse Count: 999"};
const int kTickInterval = 200;
const int kSelectorRows = 10;

// The list entry of a 1-based number; none (-1) for a number below 1, which
// also keeps the most negative number from wrapping.
int entryOf(qint32 number)
{
    return number >= 1 ? number - 1 : -1;
}

// The count a catalogue table gives, or -1 (told once the load has unwound)
// when it is more than the text can hold: a damaged or hostile table must
// not have the reader build a list without end.
int checkedCount(int count, const QString &file, const QString &field, int most,
                 const QString &what)
{
    if (count >= 1 && count <= most)
        return count;
    ErrorReport::showLater(
        QStringLiteral("%1 gives %2 as the %3 of %4; it must be 1 to %5. The table is damaged.")
            .arg(QDir::toNativeSeparators(file), QString::number(count), field, what,
                 QString::number(most)));
    return -1;
}

struct Selector
{
    const char *label;
    const char *name;
    int left;
    int labelLeft;
    int width;
    const char *accessibleName;
};
const Selector kSelectors[3] = {
    {"Book:", "ComboBoxBook", 40, 6, 132, "Book"},
    {"Chapter:", "ComboBoxChapter", 230, 184, 50, "Chapter"},
    {"Verse:", "ComboBoxVerse", 322, 288, 50, "Verse"},
};

struct ButtonDesign
{
    QToolButton *TFormBook::*button;
    const char *name;
    int left;
    int width;
    const char *caption;
    const char *hint;
    Artwork::Glyph glyph;
    void (TFormBook::*handler)();
    const char *accessibleName; // the caption's words without its layout blanks
};
const ButtonDesign kButtons[] = {
    {&TFormBook::RxSpeedButtonPrev, "RxSpeedButtonPrev", 2, 70, "P&revious Chapter",
     "Go to Previous Chapter", Artwork::Glyph::PreviousChapter, &TFormBook::RxSpeedButtonPrevClick,
     "Previous Chapter"},
    {&TFormBook::RxSpeedButtonNext, "RxSpeedButtonNext", 73, 70, "   &Next    Chapter",
     "Go to Next Chapter", Artwork::Glyph::NextChapter, &TFormBook::RxSpeedButtonNextClick,
     "Next Chapter"},
    {&TFormBook::RxSpeedButtonEBD, "RxSpeedButtonEBD", 144, 78, "Easton's  Bible &Dictionary",
     "Easton's Bible Dictionary", Artwork::Glyph::Dictionary, &TFormBook::RxSpeedButtonEBDClick,
     "Easton's Bible Dictionary"},
    {&TFormBook::RxSpeedButtonMHC, "RxSpeedButtonMHC", 223, 78, "&MHC Commentary",
     "Matthew Henry's Concise Commentary", Artwork::Glyph::CommentaryMhc,
     &TFormBook::RxSpeedButtonMHCClick, "MHC Commentary"},
    {&TFormBook::RxSpeedButtonJFB, "RxSpeedButtonJFB", 302, 78, "&JFB Commentary",
     "Jamieson-Fausset-Brown Commentary", Artwork::Glyph::CommentaryJfb,
     &TFormBook::RxSpeedButtonJFBClick, "JFB Commentary"},
};

struct PopupItem
{
    QAction *TFormBook::*action;
    const char *name;
    const char *caption;
    const char *hint;
    QKeySequence shortcut;
    void (TFormBook::*handler)();
};
const PopupItem kPopupItems[] = {
    {&TFormBook::CopyCtrlC1, "CopyCtrlC1", "&Copy", "Copy to Clipboard",
     QKeySequence(Qt::CTRL | Qt::Key_C), &TFormBook::CopyCtrlC1Click},
    {&TFormBook::LookUpWord1, "LookUpWord1", "Look Up Selected Word in &Dictionary...",
     "Look Up Selected Word in Easton's Bible Dictionary", QKeySequence(Qt::CTRL | Qt::Key_D),
     &TFormBook::LookUpWord1Click},
    {&TFormBook::MHCCommentary1, "MHCCommentary1", "&MHC Commentary",
     "Matthew Henry' Concise Commentary", QKeySequence(Qt::CTRL | Qt::Key_M),
     &TFormBook::MHCCommentary1Click},
    {&TFormBook::JFBCommentary1, "JFBCommentary1", "&JFB Commentary",
     "Jamieson-Fausset-Brown Commentary", QKeySequence(Qt::CTRL | Qt::Key_J),
     &TFormBook::JFBCommentary1Click},
    {&TFormBook::PreviousChapter1, "PreviousChapter1", "P&revious Chapter", "Previous Chapter",
     QKeySequence(Qt::CTRL | Qt::Key_R), &TFormBook::PreviousChapter1Click},
    {&TFormBook::NextChapter1, "NextChapter1", "&Next Chapter", "Next Chapter",
     QKeySequence(Qt::CTRL | Qt::Key_N), &TFormBook::NextChapter1Click},
};
} // namespace

TFormBook::TFormBook(const VerseReference &place, AppearanceStore *store, QWidget *parent)
    : QWidget(parent), m_appearance(store)
{
    setObjectName(QStringLiteral("FormBook"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Book"));
    QFont designFont(QStringLiteral("MS Sans Serif"));
    designFont.setPointSize(8);
    setFont(designFont);
    resize(kLayoutSize);

    // The tables are part of the window: one that cannot be opened stops the
    // window from being built.
    m_scripture = std::make_unique<ScriptureText>();
    m_scripture->open();

    createControls();
    createActions();
    createNavigation();

    // FormCreate: appearance, then the starting place.
    const qint32 background = appearance().PanelSample;
    const FontValue textFont = appearance().PanelSampleText;
    QPalette palette = RxRichEdit1->palette();
    palette.setColor(QPalette::Base, ColorValue::toQColor(background));
    const QColor textColor = textFont.qColor();
    if (textColor.isValid())
        palette.setColor(QPalette::Text, textColor);
    RxRichEdit1->setPalette(palette);
    RxRichEdit1->document()->setDefaultFont(textFont.toQFont());
    RxRichEdit1->setFont(textFont.toQFont());

    ComboBoxBook->setCurrentIndex(entryOf(place.Book));
    BuildComboChapter();
    ComboBoxChapter->setCurrentIndex(entryOf(place.Chapter));
    ComboBoxChapterChange();
    ComboBoxVerse->setCurrentIndex(entryOf(place.Verse));
    ComboBoxVerseChange();
    if (place.MarkVerse) {
        markVerses(place.Verse, place.Verse);
        highlightWords(place.Words, place.MatchCase, place.WholeWords);
    }
    Timer1->start();
}

TFormBook::~TFormBook() = default;

void TFormBook::createControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *topStrip = new QWidget(this);
    topStrip->setObjectName(QStringLiteral("PanelTop"));
    topStrip->setFixedHeight(kTopStripHeight);
    QComboBox **targets[3] = {&ComboBoxBook, &ComboBoxChapter, &ComboBoxVerse};
    for (int i = 0; i < 3; ++i) {
        const Selector &design = kSelectors[i];
        auto *label = new QLabel(QString::fromLatin1(design.label), topStrip);
        label->move(design.labelLeft, 9);
        auto *combo = new QComboBox(topStrip);
        combo->setObjectName(QString::fromLatin1(design.name));
        combo->setEditable(false);
        combo->setMaxVisibleItems(kSelectorRows);
        combo->setGeometry(design.left, 5, design.width, 22);
        label->setBuddy(combo);
        combo->setAccessibleName(QString::fromLatin1(design.accessibleName));
        // The buttons' letters come before the list's search by typed letters.
        combo->installEventFilter(this);
        *targets[i] = combo;
    }
    ComboBoxBook->addItems(BookCatalogue::names());
    // Only a user's pick raises the change operations; code that sets an
    // entry calls them itself.
    // Each pick is a jump: a step of the history.
    connect(ComboBoxBook, &QComboBox::activated, this, [this] {
        const Jump jump(*this);
        ComboBoxBookChange();
    });
    connect(ComboBoxChapter, &QComboBox::activated, this, [this] {
        const Jump jump(*this);
        ComboBoxChapterChange();
    });
    connect(ComboBoxVerse, &QComboBox::activated, this, [this] {
        const Jump jump(*this);
        ComboBoxVerseChange();
    });
    layout->addWidget(topStrip);

    auto *buttonStrip = new QWidget(this);
    buttonStrip->setObjectName(QStringLiteral("PanelButtons"));
    buttonStrip->setFixedHeight(kButtonStripHeight);
    for (const ButtonDesign &design : kButtons) {
        auto *button = new GlyphButton(buttonStrip);
        button->setObjectName(QString::fromLatin1(design.name));
        button->setText(QString::fromUtf8(design.caption));
        button->setToolTip(QString::fromUtf8(design.hint));
        button->setAccessibleName(QString::fromUtf8(design.accessibleName));
        button->setIcon(Artwork::glyph(design.glyph));
        button->setGeometry(design.left, 1, design.width, kButtonHeight);
        connect(button, &QToolButton::clicked, this, design.handler);
        // Alt with the underlined letter is handled by the reader that has
        // the focus: every reader has the same letters, and a window-wide
        // mnemonic would be ambiguous as soon as two readers are open.
        button->setShortcut(QKeySequence());
        this->*(design.button) = button;
    }
    layout->addWidget(buttonStrip);
    new ButtonStrip(buttonStrip);

    auto *area = new ChapterTextEdit(this);
    RxRichEdit1 = area;
    RxRichEdit1->setObjectName(QStringLiteral("RxRichEdit1"));
    // A new size moves the lines, not the caret: the tick takes the lines as
    // they now stand, so that only the person's scrolling pulls the caret.
    connect(area, &ChapterTextEdit::zoomRequested, this, &TFormBook::zoomBy);
    connect(area, &ChapterTextEdit::viewResized, this, [this] {
        LastTopLine = firstVisibleLine();
        LastBottomLine = bottomVisibleLine();
        LastCaretLine = lineOfPosition(RxRichEdit1->textCursor().selectionStart());
    });
    RxRichEdit1->installEventFilter(this);
    RxRichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    // A screen reader names the text by the place it shows.
    RxRichEdit1->setAccessibleName(windowTitle());
    connect(this, &QWidget::windowTitleChanged, RxRichEdit1, &QWidget::setAccessibleName);
    layout->addWidget(RxRichEdit1, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(kStatusBarHeight);
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        StatusPanel[i] = new QLabel(QString::fromLatin1(kStatusPanelTexts[i]), StatusBar1);
        StatusPanel[i]->setFixedWidth(kStatusPanelWidths[i]);
        StatusBar1->addWidget(StatusPanel[i]);
    }
    layout->addWidget(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTickInterval);
    connect(Timer1, &QTimer::timeout, this, &TFormBook::Timer1Timer);
}

void TFormBook::createActions()
{
    RxPopupMenu1 = new QMenu(this);
    RxPopupMenu1->setObjectName(QStringLiteral("RxPopupMenu1"));
    RxPopupMenu1->setToolTipsVisible(true);
    for (const PopupItem &item : kPopupItems) {
        auto *action = new QAction(QString::fromUtf8(item.caption), this);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setToolTip(QString::fromUtf8(item.hint));
        action->setStatusTip(QString::fromUtf8(item.hint));
        action->setShortcut(item.shortcut);
        // The shortcuts act while the text area has the keyboard focus.
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, item.handler);
        RxPopupMenu1->addAction(action);
        // Ctrl+C already belongs to the main window's Copy, which copies from
        // the active reader; a second owner would make the key ambiguous.
        if (item.action != &TFormBook::CopyCtrlC1)
            RxRichEdit1->addAction(action);
        this->*(item.action) = action;
    }
    connect(RxPopupMenu1, &QMenu::aboutToShow, this, &TFormBook::RxPopupMenu1Popup);
    connect(RxRichEdit1, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        RxPopupMenu1->popup(RxRichEdit1->viewport()->mapToGlobal(at));
    });
}

QString TFormBook::printTitle() const
{
    return ComboBoxBook->currentText() + QLatin1Char(' ') + ComboBoxChapter->currentText();
}

void TFormBook::ComboBoxBookChange()
{
    BusyCursor busy;
    try {
        if (!ComboBoxBook->currentText().isEmpty()) {
            BuildComboChapter();
            ComboBoxChapter->setCurrentIndex(0);
            ComboBoxChapterChange();
        } else {
            RxRichEdit1->clear();
        }
    } catch (const std::exception &error) {
        // A failed step leaves what was done so far, and is told once the
        // change has run its course.
        ErrorReport::showLater(QString::fromUtf8(error.what()));
    }
}

void TFormBook::BuildComboChapter()
{
    ComboBoxChapter->clear();
    const std::optional<qint32> stored =
        m_scripture->chapterCount(ComboBoxBook->currentIndex() + 1);
    if (!stored)
        return;
    const int count =
        checkedCount(*stored, m_scripture->catalogueFile(), QStringLiteral("ChapterCount"),
                     MaxChapters, ComboBoxBook->currentText());
    if (count < 1)
        return;
    QStringList entries;
    entries.reserve(count);
    for (int i = 1; i <= count; ++i)
        entries.append(QString::number(i));
    ComboBoxChapter->addItems(entries);
}

void TFormBook::BuildComboVerse()
{
    ComboBoxVerse->clear();
    const std::optional<qint32> stored = m_scripture->verseCount(
        ComboBoxBook->currentIndex() + 1, ComboBoxChapter->currentText().toInt());
    if (!stored)
        return;
    const int count = checkedCount(
        *stored, m_scripture->verseCountFile(), QStringLiteral("VerseCount"), MaxVerses,
        ComboBoxBook->currentText() + QLatin1Char(' ') + ComboBoxChapter->currentText());
    if (count < 1)
        return;
    QStringList entries;
    entries.reserve(count);
    for (int i = 1; i <= count; ++i)
        entries.append(QString::number(i));
    ComboBoxVerse->addItems(entries);
}

void TFormBook::ComboBoxVerseChange()
{
    BusyCursor busy;
    try {
        if (!ComboBoxBook->currentText().isEmpty() && !ComboBoxChapter->currentText().isEmpty() &&
            !ComboBoxVerse->currentText().isEmpty() && MoveCaretOnVerseChange) {
            const int entry = ComboBoxVerse->currentIndex();
            if (entry == 0) {
                setCaret(0);
            } else {
                // Going to the end first makes the area scroll back up only as
                // far as the verse, whose line then shows at the top.
                setCaret(ChapterEndPos);
                setCaret(VerseStarts[qBound(0, entry, MaxVerses)]);
                // A heading drawn above the verse shows with it.
                static_cast<ChapterTextEdit *>(RxRichEdit1)
                    ->showHeadingAbove(VerseStarts[qBound(0, entry, MaxVerses)]);
            }
            LastCaretPos = RxRichEdit1->textCursor().position();
        }
        MoveCaretOnVerseChange = true;
        setWindowTitle(ComboBoxBook->currentText() + QLatin1Char(' ') +
                       ComboBoxChapter->currentText() + QLatin1Char(':') +
                       ComboBoxVerse->currentText());
    } catch (const std::exception &error) {
        ErrorReport::showLater(QString::fromUtf8(error.what()));
    }
}

void TFormBook::RxSpeedButtonPrevClick()
{
    const Jump jump(*this);
    if (ComboBoxChapter->currentIndex() > 0) {
        ComboBoxChapter->setCurrentIndex(ComboBoxChapter->currentIndex() - 1);
        ComboBoxChapterChange();
        setCaret(ChapterEndPos);
    } else if (ComboBoxBook->currentIndex() > 0) {
        ComboBoxBook->setCurrentIndex(ComboBoxBook->currentIndex() - 1);
        BuildComboChapter();
        ComboBoxChapter->setCurrentIndex(ComboBoxChapter->count() - 1);
        ComboBoxChapterChange();
        setCaret(ChapterEndPos);
    }
    static_cast<ChapterTextEdit *>(RxRichEdit1)->showWholeTopLine();
    RxRichEdit1->setFocus();
}

void TFormBook::PreviousChapter1Click()
{
    RxSpeedButtonPrevClick();
}

void TFormBook::RxSpeedButtonNextClick()
{
    const Jump jump(*this);
    if (ComboBoxChapter->currentIndex() < ComboBoxChapter->count() - 1) {
        ComboBoxChapter->setCurrentIndex(ComboBoxChapter->currentIndex() + 1);
        ComboBoxChapterChange();
    } else if (ComboBoxBook->currentIndex() < BookCatalogue::BookCount - 1) {
        ComboBoxBook->setCurrentIndex(ComboBoxBook->currentIndex() + 1);
        ComboBoxBookChange();
    }
    RxRichEdit1->setFocus();
}

void TFormBook::NextChapter1Click()
{
    RxSpeedButtonNextClick();
}

void TFormBook::setButtonStates()
{
    const int book = ComboBoxBook->currentIndex();
    const int chapter = ComboBoxChapter->currentIndex();
    RxSpeedButtonPrev->setEnabled(!(book == 0 && chapter == 0));
    RxSpeedButtonNext->setEnabled(!(book == BookCatalogue::BookCount - 1 && chapter == 21));
}

QToolButton *TFormBook::buttonForMnemonic(const QKeyEvent *event) const
{
    if (event->modifiers() != Qt::AltModifier)
        return nullptr;
    for (QToolButton *button : {RxSpeedButtonPrev, RxSpeedButtonNext, RxSpeedButtonEBD,
                                RxSpeedButtonMHC, RxSpeedButtonJFB}) {
        if (QKeySequence::mnemonic(button->text()) == QKeySequence(Qt::ALT | event->key()))
            return button;
    }
    return nullptr;
}

bool TFormBook::eventFilter(QObject *watched, QEvent *event)
{
    // The reader's own letters come before the main menu's, from the text
    // area and from the selectors alike.
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (QToolButton *button = buttonForMnemonic(key)) {
            if (event->type() == QEvent::KeyPress && button->isEnabled())
                button->click();
            event->accept();
            return true;
        }
        if (watched == RxRichEdit1 && event->type() == QEvent::KeyPress)
            RxRichEdit1KeyDown(key->key());
    }
    return QWidget::eventFilter(watched, event);
}

// Reading on past the closing line or back above the heading turns the page;
// the key then moves the caret as usual.
void TFormBook::RxRichEdit1KeyDown(int key)
{
    const int caretLine = lineOfPosition(RxRichEdit1->textCursor().position());
    if ((key == Qt::Key_Down || key == Qt::Key_PageDown) && caretLine == lineCount() - 1)
        RxSpeedButtonNextClick();
    else if ((key == Qt::Key_Up || key == Qt::Key_PageUp) && caretLine == 0)
        RxSpeedButtonPrevClick();
}

void TFormBook::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // Scrolling needs a laid-out area: bring the starting verse to the top
    // once the window is on screen.
    const int entry = ComboBoxVerse->currentIndex();
    if (entry > 0 && entry <= MaxVerses) {
        QTimer::singleShot(0, this, [this, entry] {
            if (ComboBoxVerse->currentIndex() != entry)
                return;
            const int caret = RxRichEdit1->textCursor().position();
            setCaret(ChapterEndPos);
            setCaret(caret);
            static_cast<ChapterTextEdit *>(RxRichEdit1)->showHeadingAbove(caret);
        });
    }
}
