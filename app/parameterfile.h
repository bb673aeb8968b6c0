// The hand-off of reference lists between instances through param.txt in
// the data folder.
#pragma once

#include <QString>

namespace ParameterFile {
// Appends text as one line ending in CR LF to folder + "param.txt",
// creating the file when it does not exist. The line lands whole or not at
// all. Returns false when it could not be written; error then names the file
// and the reason.
bool appendArgument(const QString &folder, const QString &text, QString *error = nullptr);
} // namespace ParameterFile
