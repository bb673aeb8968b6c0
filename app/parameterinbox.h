// The take-over of param.txt: the running instance renames the inbox to
// ~param.txt before reading it, so that lines appended meanwhile land in a
// fresh param.txt for the next take-over.
//
// Senders and the take-over lock param.txt itself (flock) while they append
// or rename, so no line lands in a file that has already been taken. The
// working copy is marked read (owner read-only, 0400) once it has been
// read: a copy still 0600 was renamed but never read, because the program
// was killed in between, and is read before it is replaced.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace ParameterFile {
// The most readers one line opens: a runaway list ("1,1,1,...") must not
// bury the program under windows. The cap is per line, that is per sender,
// so that many senders at once are all served; a sender is refused a list
// that names more.
constexpr int MaxReadersPerLine = 100;
// Book look-ups per line: "John+John+John+..." opens no reader but
// searches the catalogue at every "+".
constexpr int MaxBookLookupsPerLine = 1000;
// Bytes read per take-over: a reference list is a few lines, and a link to
// an endless file must not be read without end. A sender is refused when
// the inbox would grow past it.
constexpr qint64 MaxBytesPerTakeOver = 1024 * 1024;

struct TakeOver
{
    enum Status {
        NoFile,  // no param.txt (or it vanished before it could be taken)
        Taken,   // renamed to ~param.txt and read: lines holds it
        Failed,  // could not be taken over or read: message says why
        Waiting, // the same param.txt failed before, or a sender holds it
                 // locked; tried again quietly
    };
    Status status = NoFile;
    QStringList lines;
    QString message;
    QString path;   // the ~param.txt read (Taken)
    QString notice; // Taken: what was left unread, to be told once
};

// Reads a ~param.txt left unread, renames param.txt over ~param.txt and
// reads it. A param.txt that cannot be taken over is reported
// once (Failed) and then retried quietly (Waiting) until it changes or goes.
class Inbox
{
public:
    TakeOver takeOver(const QString &folder);

    // Tests: runs between the existence test and the rename.
    static void setBeforeRenameHookForTesting(std::function<void()> hook);

private:
    QString m_failedSignature;
    bool m_leftoverChecked = false;
};
} // namespace ParameterFile
