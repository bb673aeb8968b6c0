// The note on one verse: a small plain-text editor that saves as the person
// types (a moment after the last key, and when it closes). Nothing typed is
// held back for a Save button that could be forgotten.
#pragma once

#include "app/pendingreference.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QTimer;
class StudyStore;

class TFormNote : public QWidget
{
    Q_OBJECT
public:
    TFormNote(StudyStore *store, const VerseReference &place, QWidget *parent = nullptr);
    ~TFormNote() override;

    VerseReference place() const { return m_place; }
    QPlainTextEdit *MemoNote = nullptr;
    QLabel *LabelState = nullptr;
    QTimer *TimerSave = nullptr;

    // Writes the text now. False, with the reason shown in the window, when
    // the store refuses it; the text stays in the editor.
    bool save();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QPointer<StudyStore> m_store;
    VerseReference m_place;
    bool m_dirty = false;
};
