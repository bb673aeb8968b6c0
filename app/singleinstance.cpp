#include "singleinstance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SingleInstance::lockPath(const QString &folder)
{
    return folder + QStringLiteral("Kelvaro.lock");
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
