// One running instance per user: a lock named "Kelvaro".
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class SingleInstance
{
public:
    // The lock lives in the user's runtime folder (or the temporary folder).
    static QString lockPath();
    // True when this process now holds the lock; the lock is kept until the
    // object goes away (at the end of the process).
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};
