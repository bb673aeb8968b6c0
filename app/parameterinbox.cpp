#include "app/parameterinbox.h"

#include "app/parameterparser.h"
#include "app/privatefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kInboxName = QStringLiteral("param.txt");
const QString kWorkName = QStringLiteral("~param.txt");
// The mode of a working copy that has been read.
constexpr mode_t kReadMode = 0400;
// A sender holds the lock for one write; a tick that finds it held tries
// again at the next one.
constexpr int kLockTries = 20;

std::function<void()> &beforeRenameHook()
{
    static std::function<void()> hook;
    return hook;
}

// What identifies one state of param.txt: a changed file is reported anew.
QString signatureOf(const QString &path)
{
    const QFileInfo info(path);
    return path + QLatin1Char('|') + QString::number(info.size()) + QLatin1Char('|') +
           QString::number(info.lastModified().toMSecsSinceEpoch());
}

bool lockWithin(int fd)
{
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        ::usleep(1000);
    }
    return false;
}

// Up to limit bytes of an open file; false with *reason on a read error.
bool readAll(int fd, qint64 limit, QByteArray *data, QString *reason)
{
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        *reason = file.errorString();
        return false;
    }
    *data = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

// A working copy renamed from the inbox but never read: a plain file of
// ours still at the inbox's mode. Its bytes, marked read as they are taken.
QByteArray unreadLeftover(const QString &work)
{
    QString reason;
    const int fd = PrivateFile::open(work, O_RDONLY, &reason);
    if (fd < 0)
        return QByteArray();
    struct stat status;
    QByteArray data;
    if (::fstat(fd, &status) == 0 && (status.st_mode & 07777) == 0600 &&
        readAll(fd, ParameterFile::MaxBytesPerTakeOver, &data, &reason))
        ::fchmod(fd, kReadMode);
    ::close(fd);
    if (!data.isEmpty() && !data.endsWith('\n') && !data.endsWith('\r'))
        data.append("\r\n");
    return data;
}

struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};
} // namespace

namespace ParameterFile {
void Inbox::setBeforeRenameHookForTesting(std::function<void()> hook)
{
    beforeRenameHook() = std::move(hook);
}

TakeOver Inbox::takeOver(const QString &folder)
{
    TakeOver result;
    const QString inbox = folder + kInboxName;
    const QString work = folder + kWorkName;
    const QByteArray inboxName = QFile::encodeName(inbox);
    // A start after a kill between the rename and the read finds the
    // references of the last take-over unread.
    QByteArray data;
    if (!m_leftoverChecked) {
        m_leftoverChecked = true;
        data = unreadLeftover(work);
    }
    const auto taken = [&]() {
        result.status = TakeOver::Taken;
        result.path = work;
        result.lines = ParameterParser::splitLines(data);
        return result;
    };
    struct stat inboxStatus;
    if (::lstat(inboxName.constData(), &inboxStatus) != 0) {
        m_failedSignature.clear();
        return data.isEmpty() ? result : taken();
    }
    const auto failOnce = [&](const QString &message) {
        const QString signature = signatureOf(inbox);
        if (signature == m_failedSignature) {
            result.status = TakeOver::Waiting;
            return result;
        }
        m_failedSignature = signature;
        result.status = TakeOver::Failed;
        result.message = message;
        return result;
    };
    // Folders are not ours to empty, and renaming one would only move the
    // blockage: the message names the one in the way (an empty working-copy
    // folder simply goes).
    if (S_ISDIR(inboxStatus.st_mode)) {
        return failOnce(
            QStringLiteral("The reference list %1 is a folder; remove it so that reference "
                           "lists can be handed over.")
                .arg(inbox));
    }
    const QFileInfo workInfo(work);
    if (workInfo.isDir() && !workInfo.isSymLink() && !QDir().rmdir(work)) {
        return failOnce(QStringLiteral("The reference list %1 cannot be taken over: its working "
                                       "copy %2 is a folder; remove it.")
                            .arg(inbox, work));
    }

    // A link, a FIFO, a device or another user's file is never read: it is
    // moved out of the way, so that the next hand-off goes through.
    QString refused;
    Descriptor inboxFile;
    inboxFile.fd = PrivateFile::open(inbox, O_RDONLY, &refused);
    if (inboxFile.fd < 0) {
        if (!QFileInfo::exists(inbox) && !QFileInfo(inbox).isSymLink()) {
            m_failedSignature.clear();
            return data.isEmpty() ? result : taken();
        }
        if (::rename(inboxName.constData(), QFile::encodeName(work).constData()) != 0)
            return failOnce(
                QStringLiteral("The reference list %1 cannot be read: %2").arg(inbox, refused));
        m_failedSignature.clear();
        result.status = TakeOver::Failed;
        result.message =
            QStringLiteral("The reference list %1 cannot be read: %2").arg(work, refused);
        return result;
    }
    if (!lockWithin(inboxFile.fd)) {
        result.status = TakeOver::Waiting;
        return result;
    }
    if (beforeRenameHook())
        beforeRenameHook()();
    // Taken by someone else between the open and the lock.
    struct stat opened;
    struct stat named;
    if (::fstat(inboxFile.fd, &opened) != 0 || ::lstat(inboxName.constData(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        m_failedSignature.clear();
        return data.isEmpty() ? result : taken();
    }

    data += unreadLeftover(work);
    if (::rename(inboxName.constData(), QFile::encodeName(work).constData()) != 0) {
        const QString reason = PrivateFile::reasonOf(errno);
        if (!data.isEmpty())
            return taken();
        return failOnce(
            QStringLiteral("The reference list %1 cannot be taken over: %2").arg(inbox, reason));
    }
    m_failedSignature.clear();

    QByteArray fresh;
    QString reason;
    if (!readAll(inboxFile.fd, MaxBytesPerTakeOver + 1, &fresh, &reason)) {
        result.status = TakeOver::Failed;
        result.message =
            QStringLiteral("The reference list %1 cannot be read: %2").arg(work, reason);
        return result;
    }
    // Read: a later start must not open these references again.
    ::fchmod(inboxFile.fd, kReadMode);
    data += fresh;
    if (data.size() > MaxBytesPerTakeOver) {
        // A line cut at the limit would name a passage nobody asked for.
        data.truncate(MaxBytesPerTakeOver);
        const qsizetype lineEnd = qMax(data.lastIndexOf('\n'), data.lastIndexOf('\r'));
        data.truncate(lineEnd + 1);
        result.notice = QStringLiteral("The reference list %1 is longer than %2 bytes; "
                                       "only its lines within the first %2 bytes were read.")
                            .arg(work)
                            .arg(MaxBytesPerTakeOver);
    }
    return taken();
}
} // namespace ParameterFile
