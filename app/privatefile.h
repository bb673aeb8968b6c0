// Files and folders that belong to the person running the program.
//
// Whatever the umask, what the program creates is readable by its owner
// only: another user must not read the reference lists or plant a viewer
// program in the settings. A file that is a symbolic link, or that belongs
// to someone else, is refused rather than followed.
#pragma once

#include <QString>

namespace PrivateFile {
// Opens path with flags (O_CREAT creates it owner-only) without following a
// symbolic link and without blocking on a FIFO. Returns the descriptor, or
// -1 with *reason saying in plain words why the file was refused.
int open(const QString &path, int flags, QString *reason);
// Creates folder and any missing parent, each new one owner-only (0700);
// folder itself, if it is the user's, is closed to others even when it was
// there before. Returns false with *reason.
bool makeFolder(const QString &folder, QString *reason = nullptr);
// Makes a file the program created owner-only (0600).
void restrict(const QString &path);
// The reason an errno gives, in the words a person reads.
QString reasonOf(int code);
} // namespace PrivateFile
