// The hand-off of reference lists between instances through param.txt in
// the data folder.
#pragma once

#include <QString>

#include <functional>

namespace ParameterFile {
// Appends text as one line ending in CR LF to folder + "param.txt",
// creating the file when it does not exist. The line lands whole or not at
// all. Returns false when it could not be written; error then names the file
// and the reason.
// The line is written under param.txt's lock, into the file that is still
// named param.txt, so a take-over never renames it away unread. A list the
// running instance would not open whole (more passages than one line may
// open, or an inbox already full) is refused rather than cut.
bool appendArgument(const QString &folder, const QString &text, QString *error = nullptr);

// Tests: runs after param.txt is opened and before it is locked.
void setBeforeLockHookForTesting(std::function<void()> hook);
} // namespace ParameterFile
