// Keeps the stored settings and the main window's placement in the per-user
// store, under Software\<program base name>\TFormMain.
#pragma once

class TFormMain;

#include <QtGlobal>

class FormStorage
{
public:
    explicit FormStorage(TFormMain *form);
    // When the main window is first shown: placement and holders.
    void restore();
    // When the main window closes (atDestruction false) or, failing that,
    // when it is destroyed (true).
    void save(bool atDestruction);
    bool restoreCompleted() const { return m_restored; }
    bool saveCompleted() const { return m_saved; }

private:
    TFormMain *m_form;
    bool m_restored = false;
    bool m_saved = false;
};
