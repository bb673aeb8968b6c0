// The hand-off of reference lists between instances through param.txt in
// the program folder.
#pragma once

#include <QString>

namespace ParameterFile {
// Appends text as one line ending in CR LF to folder + "param.txt",
// creating the file when it does not exist. Returns false when the file
// cannot be written.
bool appendArgument(const QString &folder, const QString &text);
} // namespace ParameterFile
