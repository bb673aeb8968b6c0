#include "programfolder.h"

#include "app/privatefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &overridden()
{
    static QString folder;
    return folder;
}

QString &folderProblem()
{
    static QString problem;
    return problem;
}

QString withTrailingSeparator(const QString &folder)
{
    QString native = QDir::toNativeSeparators(folder);
    if (!native.endsWith(QDir::separator()))
        native += QDir::separator();
    return native;
}

// The kernel's own record of the running executable: right however the
// program was started (relative path, PATH search, symbolic link).
QString executableFolder()
{
    const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!executable.isEmpty())
        return QFileInfo(executable).absolutePath();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}
} // namespace

namespace ProgramFolder {
QString path()
{
    if (!overridden().isEmpty())
        return overridden();
    static const QString folder = withTrailingSeparator(executableFolder());
    return folder;
}

bool isInstalled()
{
    return QFileInfo(path() + QLatin1String(kInstalledMarker)).isFile();
}

QString dataPath()
{
    if (!isInstalled())
        return path();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        return QString();
    // Owner-only: the session and the reference lists are nobody else's. A
    // folder that cannot be created is told by whoever writes into it.
    folderProblem().clear();
    PrivateFile::makeFolder(folder, &folderProblem());
    return withTrailingSeparator(folder);
}

QString dataFolderProblem()
{
    return folderProblem();
}

QString provideDataFile(const QString &name)
{
    const QString data = dataPath();
    if (data.isEmpty())
        return QStringLiteral("There is no folder for the user's files (%1 cannot be kept).")
            .arg(name);
    const QString target = data + name;
    if (data == path() || QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return QString();
    const QString shipped = path() + name;
    if (!QFileInfo(shipped).isFile())
        return QString();
    // A read-only home is told as such, not as a missing file.
    QString reason;
    if (!PrivateFile::makeFolder(data, &reason))
        return QStringLiteral("%1 cannot be created: %2")
            .arg(QDir::toNativeSeparators(target), reason);
    // QFile::copy writes a temporary file and renames it, so a killed start
    // leaves no half copy behind.
    QFile source(shipped);
    if (!source.copy(target))
        return QStringLiteral("%1 cannot be created from %2: %3")
            .arg(QDir::toNativeSeparators(target), QDir::toNativeSeparators(shipped),
                 source.errorString());
    // The shipped file is read-only for the user; the copy is the user's own.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return QString();
}

void setPathForTesting(const QString &folder)
{
    overridden() = folder.isEmpty() ? QString() : withTrailingSeparator(folder);
}
} // namespace ProgramFolder
