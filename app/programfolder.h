// The program folder: the folder of the program's own executable, with its
// trailing separator. The HTML documents, param.txt and ~param.txt live there.
#pragma once

#include <QString>

namespace ProgramFolder {
// Native separators, trailing separator included.
QString path();
// Tests point the program at a folder of their own.
void setPathForTesting(const QString &folder);
} // namespace ProgramFolder
