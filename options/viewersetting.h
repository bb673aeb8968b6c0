// The viewer setting (edithtmlviewer) in words: what its text means and how
// a person is told of it. The stored settings need these without the
// launcher that acts on them.
#pragma once

#include <QString>

namespace DocumentLauncher {
// The setting's text for the two choices that name no program. Neither can
// be a program's file name ("<" and ">" are not allowed in one on Windows,
// and no program is called so elsewhere), so older settings that name a
// program keep their meaning:
//   "<built-in>"  the built-in document window (also an empty setting and
//                 the "iexplore.exe" of older settings, which named a
//                 browser that Linux does not have)
//   "<desktop>"   the desktop's default browser (xdg-open, else
//                 x-www-browser or sensible-browser)
// Any other text names the viewer program.
QString builtInSetting();
QString desktopSetting();
// What a first run uses.
QString defaultSetting();

enum class Viewer { BuiltIn, Desktop, Program };
struct ViewerChoice
{
    Viewer viewer = Viewer::BuiltIn;
    QString program; // Program only
};
ViewerChoice viewerChoice(const QString &viewerText);
// In words, for the first-run notice: "Kelvaro's own document window",
// "the desktop's default web browser", or the program's name.
QString describe(const QString &viewerText);

// The viewer setting as a program to start: trimmed, surrounding double
// quotes removed.
QString viewerProgram(const QString &viewerText);
} // namespace DocumentLauncher
