#include "formnote.h"

#include "app/application.h"
#include "study/studystore.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

// Design data of the note window.
namespace {
const QSize kLayoutSize(360, 220);
const int kSaveDelayMs = 500;
const char *const kCaption = "Note: %1";
const char *const kSaved = "Saved";
const char *const kTyping = "Saving...";
} // namespace

TFormNote::TFormNote(StudyStore *store, const VerseReference &place, QWidget *parent)
    : QWidget(parent), m_store(store), m_place(place)
{
    setObjectName(QStringLiteral("FormNote"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kCaption).arg(Study::referenceText(place)));
    resize(kLayoutSize);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    MemoNote = new QPlainTextEdit(this);
    MemoNote->setObjectName(QStringLiteral("MemoNote"));
    MemoNote->setAccessibleName(windowTitle());
    MemoNote->setTabChangesFocus(true);
    layout->addWidget(MemoNote, 1);
    LabelState = new QLabel(this);
    LabelState->setObjectName(QStringLiteral("LabelState"));
    layout->addWidget(LabelState);

    TimerSave = new QTimer(this);
    TimerSave->setObjectName(QStringLiteral("TimerSave"));
    TimerSave->setSingleShot(true);
    TimerSave->setInterval(kSaveDelayMs);
    connect(TimerSave, &QTimer::timeout, this, &TFormNote::save);

    try {
        MemoNote->setPlainText(m_store->entry(place).note);
        LabelState->setText(QString::fromLatin1(kSaved));
    } catch (const std::exception &error) {
        LabelState->setText(QString::fromUtf8(error.what()));
    }
    connect(MemoNote, &QPlainTextEdit::textChanged, this, [this] {
        m_dirty = true;
        LabelState->setText(QString::fromLatin1(kTyping));
        TimerSave->start();
    });
}

// The main window's end takes its children without closing them: what was
// typed since the last save is written all the same.
TFormNote::~TFormNote()
{
    if (m_dirty && m_store)
        save();
}

bool TFormNote::save()
{
    TimerSave->stop();
    if (!m_dirty)
        return true;
    if (!m_store)
        return false;
    try {
        m_store->setNote(m_place, MemoNote->toPlainText());
        m_dirty = false;
        LabelState->setText(QString::fromLatin1(kSaved));
        return true;
    } catch (const std::exception &error) {
        LabelState->setText(QStringLiteral("Not saved: %1").arg(QString::fromUtf8(error.what())));
        return false;
    }
}

void TFormNote::closeEvent(QCloseEvent *event)
{
    if (save()) {
        event->accept();
        return;
    }
    // The text would be lost with the window: it stays open.
    event->ignore();
    ErrorReport::show(LabelState->text());
}
