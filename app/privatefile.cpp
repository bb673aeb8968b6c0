#include "app/privatefile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFile {
QString reasonOf(int code)
{
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case EROFS:
        return QStringLiteral("the file system is read-only");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("the disk is full");
    case ELOOP:
        return QStringLiteral("it is a symbolic link");
    case ENOENT:
        return QStringLiteral("no such file or folder");
    case ENOTDIR:
        return QStringLiteral("part of the path is not a folder");
    case EISDIR:
        return QStringLiteral("it is a folder");
    default:
        return QString::fromLocal8Bit(std::strerror(code));
    }
}

int open(const QString &path, int flags, QString *reason)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd =
        ::open(name.constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
        const int code = errno;
        struct stat link;
        if (::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            *reason = QStringLiteral("it is a symbolic link");
        else if (code == ENXIO)
            *reason = QStringLiteral("not a regular file");
        else
            *reason = reasonOf(code);
        return -1;
    }
    struct stat status;
    QString refused;
    if (::fstat(fd, &status) != 0)
        refused = reasonOf(errno);
    else if (!S_ISREG(status.st_mode))
        refused = QStringLiteral("not a regular file");
    else if (status.st_uid != ::geteuid())
        refused = QStringLiteral("it belongs to another user");
    if (!refused.isEmpty()) {
        ::close(fd);
        *reason = refused;
        return -1;
    }
    return fd;
}

bool makeFolder(const QString &folder, QString *reason)
{
    const QString absolute = QDir::cleanPath(QDir(folder).absolutePath());
    QString built;
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        built += QLatin1Char('/') + part;
        const QByteArray name = QFile::encodeName(built);
        if (::mkdir(name.constData(), 0700) == 0) {
            // The umask may have taken away more than asked; never less.
            ::chmod(name.constData(), 0700);
            continue;
        }
        const int code = errno;
        struct stat status;
        if (code == EEXIST && ::stat(name.constData(), &status) == 0 && S_ISDIR(status.st_mode))
            continue;
        if (reason) {
            *reason =
                QStringLiteral("the folder %1 cannot be created: %2")
                    .arg(QDir::toNativeSeparators(built),
                         code == EEXIST ? QStringLiteral("a file is in the way") : reasonOf(code));
        }
        return false;
    }
    // The program's own folder, made by an earlier version under a looser
    // umask, is closed to others too.
    struct stat leaf;
    const QByteArray name = QFile::encodeName(absolute);
    if (::stat(name.constData(), &leaf) == 0 && leaf.st_uid == ::geteuid() &&
        (leaf.st_mode & 077) != 0)
        ::chmod(name.constData(), leaf.st_mode & 0700);
    return true;
}

void restrict(const QString &path)
{
    ::chmod(QFile::encodeName(path).constData(), 0600);
}
} // namespace PrivateFile
