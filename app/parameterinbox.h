// The take-over of param.txt: the running instance renames the inbox to
// ~param.txt before reading it, so that lines appended meanwhile land in a
// fresh param.txt for the next take-over.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace ParameterFile {
// The most readers one take-over opens: a runaway list ("1,1,1,...") must
// not bury the program under windows.
constexpr int MaxReadersPerTakeOver = 100;
// Book look-ups per take-over: "John+John+John+..." opens no reader but
// searches the catalogue at every "+".
constexpr int MaxBookLookupsPerTakeOver = 1000;
// Bytes read per take-over: a reference list is a few lines, and a link to
// an endless file must not be read without end.
constexpr qint64 MaxBytesPerTakeOver = 1024 * 1024;

struct TakeOver
{
    enum Status {
        NoFile,  // no param.txt (or it vanished before it could be taken)
        Taken,   // renamed to ~param.txt and read: lines holds it
        Failed,  // could not be taken over or read: message says why
        Waiting, // the same param.txt failed before; tried again quietly
    };
    Status status = NoFile;
    QStringList lines;
    QString message;
    QString path;   // the ~param.txt read (Taken)
    QString notice; // Taken: what was left unread, to be told once
};

// Deletes the ~param.txt of the last take-over, renames param.txt to
// ~param.txt and reads it. A param.txt that cannot be taken over is reported
// once (Failed) and then retried quietly (Waiting) until it changes or goes.
class Inbox
{
public:
    TakeOver takeOver(const QString &folder);

    // Tests: runs between the existence test and the rename.
    static void setBeforeRenameHookForTesting(std::function<void()> hook);

private:
    QString m_failedSignature;
};
} // namespace ParameterFile
