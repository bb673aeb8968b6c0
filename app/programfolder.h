// Where the program's files live.
//
// The program folder is the folder of the program's own executable, links
// resolved: the tables and HTML documents are read from there, whatever the
// current folder is. The data folder holds what the program writes
// (settings.db, param.txt, ~param.txt and the single-instance lock): a
// portable copy such as the build's program folder keeps them beside the
// executable; an installed copy, whose program folder carries the marker
// file below, keeps them in the user's AppDataLocation, so that it never
// writes into its installation, not even when run as root.
#pragma once

#include <QString>

namespace ProgramFolder {
// The marker that cmake --install puts into the installed program folder.
inline constexpr char kInstalledMarker[] = "kelvaro.installed";

// Native separators, trailing separator included. Usable before the
// application object exists.
QString path();
bool isInstalled();
// Native separators, trailing separator included; empty when there is no
// place for the user's files (no home folder). An installed copy's folder
// is created on first use. Needs the application name set.
QString dataPath();
// Why the last dataPath() could not create the data folder ("the folder ...
// cannot be created: the file system is read-only"); empty when it could.
QString dataFolderProblem();
// Copies the shipped file of the program folder into the data folder when
// it is not there yet. Returns an empty text on success, else a message
// naming the file.
QString provideDataFile(const QString &name);
// Tests point the program at a folder of their own; the data folder follows
// it unless the folder carries the installed marker.
void setPathForTesting(const QString &folder);
} // namespace ProgramFolder
