#include "referencebox.h"

#include "scripture/versecounts.h"

#include <QCompleter>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

// Design data of the reference box.
namespace {
const int kBoxWidth = 160;
const int kMessageWidth = 260;
// Beside a bar at the left or right edge: as narrow as the box.
const int kUprightWidth = 120;
const int kVisibleCompletions = 10;
const char *const kPlaceholder = "Go to, e.g. John 3:16";
const char *const kHint =
    "Type a reference and press Enter to show it in the active reader, Shift+Enter to open "
    "a new reader (Ctrl+L)";
const char *const kAccessibleName = "Go to reference";
} // namespace

ReferenceBox::ReferenceBox(QWidget *parent)
    : QWidget(parent), m_verseCounts(std::make_unique<VerseCounts>())
{
    setObjectName(QStringLiteral("ReferenceBox"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(6);

    EditReference = new QLineEdit(this);
    EditReference->setObjectName(QStringLiteral("EditReference"));
    EditReference->setFixedWidth(kBoxWidth);
    EditReference->setMaxLength(ReferenceParser::MaxLength * 10);
    EditReference->setPlaceholderText(QString::fromLatin1(kPlaceholder));
    EditReference->setToolTip(QString::fromLatin1(kHint));
    EditReference->setAccessibleName(QString::fromLatin1(kAccessibleName));
    EditReference->setClearButtonEnabled(true);
    EditReference->installEventFilter(this);
    auto *completer = new QCompleter(ReferenceParser::bookNames(), EditReference);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setMaxVisibleItems(kVisibleCompletions);
    EditReference->setCompleter(completer);
    layout->addWidget(EditReference);

    LabelReferenceMessage = new QLabel(this);
    LabelReferenceMessage->setObjectName(QStringLiteral("LabelReferenceMessage"));
    LabelReferenceMessage->setMinimumWidth(kMessageWidth);
    LabelReferenceMessage->setTextFormat(Qt::PlainText);
    LabelReferenceMessage->setAccessibleName(QStringLiteral("Reference message"));
    layout->addWidget(LabelReferenceMessage);

    // A new attempt starts without the last one's complaint.
    connect(EditReference, &QLineEdit::textEdited, this, [this] { showMessage(QString()); });
}

ReferenceBox::~ReferenceBox() = default;

void ReferenceBox::setOrientation(Qt::Orientation orientation)
{
    const bool upright = orientation == Qt::Vertical;
    auto *box = static_cast<QBoxLayout *>(layout());
    box->setDirection(upright ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    EditReference->setFixedWidth(upright ? kUprightWidth : kBoxWidth);
    LabelReferenceMessage->setMinimumWidth(upright ? 0 : kMessageWidth);
    LabelReferenceMessage->setMaximumWidth(upright ? kUprightWidth : QWIDGETSIZE_MAX);
    LabelReferenceMessage->setWordWrap(upright);
}

void ReferenceBox::focusBox()
{
    EditReference->setFocus(Qt::ShortcutFocusReason);
    EditReference->selectAll();
}

void ReferenceBox::showMessage(const QString &message)
{
    LabelReferenceMessage->setText(message);
    LabelReferenceMessage->setToolTip(message);
    // A screen reader reads the complaint with the box it concerns.
    EditReference->setAccessibleDescription(message);
}

void ReferenceBox::submit(bool newReader)
{
    VerseCounts &counts = *m_verseCounts;
    const ReferenceParser::Result result = ReferenceParser::parse(
        EditReference->text(), [&counts](int book, int chapter) { return counts(book, chapter); });
    if (!result.ok) {
        showMessage(result.message);
        return;
    }
    showMessage(QString());
    emit referenceChosen(result.reference, newReader);
}

bool ReferenceBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EditReference && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            submit(key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            showMessage(QString());
            emit escaped();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
