#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SingleInstance::runtimeFolder()
{
    const QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
    struct stat status;
    // Only a folder of the user's that nobody else may enter keeps the lock
    // out of other hands.
    if (!folder.startsWith('/') || ::stat(folder.constData(), &status) != 0 ||
        !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() || (status.st_mode & 077) != 0)
        return QString();
    QString path = QFile::decodeName(folder);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString SingleInstance::lockPath(const QString &folder)
{
    const QString runtime = runtimeFolder();
    if (runtime.isEmpty())
        return folder + QStringLiteral("Kelvaro.lock");
    // Each data folder has its instance: a portable copy runs beside the
    // installed one.
    const QByteArray digest =
        QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha256).toHex();
    return runtime + QStringLiteral("Kelvaro-") + QString::fromLatin1(digest.left(16)) +
           QStringLiteral(".lock");
}

SingleInstance::Outcome SingleInstance::acquire(const QString &folder)
{
    const QString path = lockPath(folder);
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a FIFO put in the lock's place cannot hang the
    // start; read-only when the file belongs to someone else (the lock works
    // on any open descriptor).
    const int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | flags, 0600);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(name.constData(), O_RDONLY | flags);
    if (fd < 0) {
        m_error =
            QStringLiteral("The single-instance lock %1 cannot be opened: %2")
                .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno)));
        return Outcome::Unavailable;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_fd = fd;
        return Outcome::Acquired;
    }
    const int lockError = errno;
    ::close(fd);
    if (lockError == EWOULDBLOCK)
        return Outcome::Running;
    m_error =
        QStringLiteral("The single-instance lock %1 cannot be taken: %2")
            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(lockError)));
    return Outcome::Unavailable;
}
