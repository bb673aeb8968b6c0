#include "app/comeforward.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace ComeForward {
bool ask(const QString &folder, QString *error)
{
    const QString path = folder + QStringLiteral("param.txt");
    const auto fail = [&](const QString &reason) {
        if (error) {
            *error = QStringLiteral("The running Kelvaro was not asked to come forward: %1: %2")
                         .arg(QDir::toNativeSeparators(path), reason);
        }
        return false;
    };
    if (folder.isEmpty())
        return fail(QStringLiteral("there is no folder for the user's files"));
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("not a regular file"));
    // Appending nothing leaves a waiting list as it is; non-blocking, so that
    // a FIFO slipped in since the test cannot hang the start.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return true;
}

void bringForward(QWidget *window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    if (!window->isVisible())
        window->show();
    window->raise();
    window->activateWindow();
}
} // namespace ComeForward
