// Shows an HTML document of the program folder: in the built-in document
// window, in the desktop's default browser, or in a viewer program, as the
// stored setting edithtmlviewer says. A viewer that cannot be started is
// reported by a message naming it and the document, and the document opens
// in the built-in window instead.
#pragma once

#include "options/viewersetting.h"

#include <QString>
#include <QUrl>

#include <functional>

class ClientArea;

namespace DocumentLauncher {
// "file:///" + the full path, with forward slashes and without a doubled
// leading slash. Spaces and an anchor ("#3") stay as they are.
QString fileAddress(const QString &fullPath);
// The address as a URL for the desktop's own handler: the text after the
// last "#" of the file name is the anchor, unless the whole path names a file.
QUrl fileUrl(const QString &fullPath);

enum class Outcome { Viewer, DesktopHandler, BuiltIn, FellBack };
// Shows the document as the viewer setting says. A program is started
// directly (never through a shell) with the address as its single argument.
// When the program or the desktop's browser cannot be started, a message
// names them and the document, which then opens in the built-in window
// (FellBack). The busy cursor shows meanwhile. The built-in window opens
// in the client area given (ClientArea::of the asking window), and on its
// own without one; messages are shown over the area's main window.
Outcome launch(const QString &viewerText, const QString &fullPath, ClientArea *area = nullptr);

// Tests see what would be shown, and how, instead of showing it: program is
// the viewer setting as a program name.
using Hook = std::function<void(const QString &program, const QString &address)>;
void setHookForTesting(Hook hook);
// Tests stand in for the desktop's handler of file addresses (false: the
// desktop could not open it).
using DesktopOpener = std::function<bool(const QUrl &url)>;
void setDesktopOpenerForTesting(DesktopOpener opener);
} // namespace DocumentLauncher
