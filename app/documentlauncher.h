// Hands an HTML document to the external viewer program as a file:/// address.
// The program never renders these documents itself; the viewer named by the
// stored setting edithtmlviewer shows them.
#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace DocumentLauncher {
// "file:///" + the full path, with forward slashes and without a doubled
// leading slash. Spaces and an anchor ("#3") stay as they are.
QString fileAddress(const QString &fullPath);
// The address as a URL for the desktop's own handler: the text after the
// last "#" of the file name is the anchor, unless the whole path names a file.
QUrl fileUrl(const QString &fullPath);
// The viewer setting as a program to start: trimmed, surrounding double
// quotes removed.
QString viewerProgram(const QString &viewerText);
// The current viewer setting of the main window ("" without one).
QString viewerSetting();

enum class Outcome { Viewer, DesktopHandler, Failed };
// Starts the viewer with the address of fullPath as its single argument.
// When it cannot be started (the default "iexplore.exe" exists only on
// Windows), the desktop's handler for file addresses opens the document.
// Nothing is reported to the user either way; the busy cursor shows meanwhile.
Outcome launch(const QString &viewerText, const QString &fullPath);
// The same with the main window's current viewer setting.
Outcome open(const QString &fullPath);

// Tests see what would be started instead of starting it.
using Hook = std::function<void(const QString &program, const QString &address)>;
void setHookForTesting(Hook hook);
} // namespace DocumentLauncher
