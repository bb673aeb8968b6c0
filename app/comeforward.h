// One window that comes forward: a later start of Kelvaro, with or without
// a reference list, brings the running main window to the front instead of
// leaving it minimized or covered while its new readers open out of sight.
//
// Both travel through param.txt: a reference list as a line, a plain start
// as an empty list (the file created, nothing written), which opens no
// reader. The running window comes forward at every take-over.
#pragma once

#include <QString>

class QWidget;

namespace ComeForward {
// The later instance's side: creates folder + "param.txt" when it is not
// there. Returns false when it could not; error then names the file.
bool ask(const QString &folder, QString *error = nullptr);

// The running instance's side: restores the window if minimized (keeping
// it maximized if it was), raises it and asks for the keyboard focus.
void bringForward(QWidget *window);
} // namespace ComeForward
