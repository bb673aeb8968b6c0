#include "app/parameterinbox.h"

#include "app/parameterparser.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kInboxName = QStringLiteral("param.txt");
const QString kWorkName = QStringLiteral("~param.txt");

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
    if (!QFileInfo::exists(inbox)) {
        m_failedSignature.clear();
        return result;
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
    if (QFileInfo(inbox).isDir()) {
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
    if (QFileInfo::exists(work) || QFileInfo(work).isSymLink())
        QFile::remove(work);
    if (beforeRenameHook())
        beforeRenameHook()();

    QFile inboxFile(inbox);
    if (!inboxFile.rename(work)) {
        if (!QFileInfo::exists(inbox)) {
            // Taken by someone else between the test and the rename.
            m_failedSignature.clear();
            return result;
        }
        return failOnce(QStringLiteral("The reference list %1 cannot be taken over: %2")
                            .arg(inbox, inboxFile.errorString()));
    }
    m_failedSignature.clear();

    // Only a plain file is read: a FIFO would block the window for ever and
    // a device may never end. Opened without blocking, tested as opened.
    const int fd = ::open(QFile::encodeName(work).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const QString reason = fd < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                      : QStringLiteral("it is not a regular file");
        if (fd >= 0)
            ::close(fd);
        result.status = TakeOver::Failed;
        result.message =
            QStringLiteral("The reference list %1 cannot be read: %2").arg(work, reason);
        return result;
    }
    QFile workFile;
    if (!workFile.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        result.status = TakeOver::Failed;
        result.message = QStringLiteral("The reference list %1 cannot be read: %2")
                             .arg(work, workFile.errorString());
        return result;
    }
    QByteArray data = workFile.read(MaxBytesPerTakeOver + 1);
    if (workFile.error() != QFileDevice::NoError) {
        result.status = TakeOver::Failed;
        result.message = QStringLiteral("The reference list %1 cannot be read: %2")
                             .arg(work, workFile.errorString());
        return result;
    }
    workFile.close();
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
    result.status = TakeOver::Taken;
    result.path = work;
    result.lines = ParameterParser::splitLines(data);
    return result;
}
} // namespace ParameterFile
