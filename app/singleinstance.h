// One running instance per data folder: a lock named "Kelvaro".
//
// The lock is an advisory lock on a file Kelvaro-<data folder's digest>.lock
// in the user's runtime folder ($XDG_RUNTIME_DIR), or Kelvaro.lock in the
// data folder where there is none, held through an open descriptor for the
// life of the process. The kernel drops it when the
// process ends, however it ends, so a killed instance never keeps a new one
// from starting, and whatever the file holds does not matter.
#pragma once

#include <QString>

class SingleInstance
{
public:
    enum class Outcome {
        Acquired,   // this process is the running instance
        Running,    // another process holds the lock
        Unavailable // the lock file cannot be opened: errorString says why
    };

    SingleInstance() = default;
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // The lock of the instances that share folder (a data folder, with its
    // trailing separator).
    static QString lockPath(const QString &folder);
    // $XDG_RUNTIME_DIR when it names a private folder of the user's (with a
    // trailing separator), else empty.
    static QString runtimeFolder();
    Outcome acquire(const QString &folder);
    QString errorString() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};
