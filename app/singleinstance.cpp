#include "singleinstance.h"

#include <QDir>
#include <QStandardPaths>

QString SingleInstance::lockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("Kelvaro.lock"));
}

bool SingleInstance::acquire()
{
    m_lock = std::make_unique<QLockFile>(lockPath());
    // A lock left by a crashed instance is taken over: QLockFile checks
    // whether its owner process still runs.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}
