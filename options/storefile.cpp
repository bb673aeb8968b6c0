#include "options/storefile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {
// Long enough for another writer to finish, short enough not to hold up the
// exit noticeably.
constexpr int kLockWaitMs = 2000;

std::function<int(int)> &syncFunction()
{
    static std::function<int(int)> sync;
    return sync;
}

int syncToDisk(int fd)
{
    return syncFunction() ? syncFunction()(fd) : ::fsync(fd);
}

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

// Something other than a plain file where the store or its lock should be
// would block a read (a FIFO) or never be replaced (a folder).
bool isForeign(const QString &path)
{
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && !info.isFile();
}

// QLockFile only counts a lock as stale once it is 30 s old unless it names
// a dead process; one left empty or garbled by a killed writer names none.
bool takeLock(QLockFile &lock, const QString &lockPath, QString *error)
{
    if (isForeign(lockPath))
        return fail(error,
                    QStringLiteral("%1 is not a file").arg(QDir::toNativeSeparators(lockPath)));
    if (lock.tryLock(0))
        return true;
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock.error() == QLockFile::LockFailedError &&
        !lock.getLockInfo(&pid, &host, &application)) {
        lock.removeStaleLockFile();
        if (lock.tryLock(0))
            return true;
    }
    if (lock.tryLock(kLockWaitMs))
        return true;
    if (lock.error() == QLockFile::LockFailedError)
        return fail(error, QStringLiteral("the store is locked by another process (%1)")
                               .arg(QDir::toNativeSeparators(lockPath)));
    return fail(
        error,
        QStringLiteral("its lock %1 cannot be created").arg(QDir::toNativeSeparators(lockPath)));
}

// The INI text of the old values with the new ones put in: QSettings lays it
// out in a scratch file, so that its escaping is the one its reader undoes.
bool composeText(const QString &path, const QString &group,
                 const QList<QPair<QString, QString>> &values, QByteArray *text, QString *error)
{
    const QSettings old(path, QSettings::IniFormat);
    // A store that cannot be read is not written over: what it holds may be
    // more than this program knows.
    if (old.status() == QSettings::AccessError)
        return fail(error, QStringLiteral("the file cannot be read"));
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(error, QStringLiteral("no scratch folder: %1").arg(scratch.errorString()));
    const QString scratchPath = scratch.filePath(QStringLiteral("store.ini"));
    {
        QSettings merged(scratchPath, QSettings::IniFormat);
        const QString prefix = group + QLatin1Char('/');
        for (const QString &key : old.allKeys()) {
            // Names are matched without regard to case on reading, so an old
            // spelling of a name written now must go.
            bool replaced = false;
            if (key.startsWith(prefix, Qt::CaseInsensitive)) {
                const QString name = key.mid(prefix.size());
                for (const auto &value : values)
                    replaced = replaced || name.compare(value.first, Qt::CaseInsensitive) == 0;
            }
            if (!replaced)
                merged.setValue(key, old.value(key));
        }
        merged.beginGroup(group);
        for (const auto &[name, value] : values)
            merged.setValue(name, value);
        merged.endGroup();
        merged.sync();
        if (merged.status() != QSettings::NoError)
            return fail(error, QStringLiteral("the new text cannot be composed in %1")
                                   .arg(QDir::toNativeSeparators(scratch.path())));
    }
    QFile composed(scratchPath);
    if (!composed.open(QIODevice::ReadOnly))
        return fail(error, composed.errorString());
    *text = composed.readAll();
    if (composed.error() != QFileDevice::NoError)
        return fail(error, composed.errorString());
    return true;
}
} // namespace

namespace StoreFile {
void setSyncForTesting(std::function<int(int)> sync)
{
    syncFunction() = std::move(sync);
}

bool write(const QString &path, const QString &group, const QList<QPair<QString, QString>> &values,
           QString *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("the folder %1 cannot be created")
                               .arg(QDir::toNativeSeparators(folder)));
    if (isForeign(path))
        return fail(error, QStringLiteral("it is not a file"));
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    if (!takeLock(lock, lockPath, error))
        return false;

    QByteArray text;
    if (!composeText(path, group, values, &text, error))
        return false;

    // The old file stays until the new one is complete and synced: a write
    // the disk only refuses at write-back shows at fsync, not at write().
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    if (file.write(text) != text.size() || !file.flush())
        return fail(error, file.errorString());
    if (syncToDisk(file.handle()) != 0) {
        const int code = errno;
        file.cancelWriting();
        return fail(error, QString::fromLocal8Bit(std::strerror(code)));
    }
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}
} // namespace StoreFile
