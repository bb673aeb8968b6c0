#include "programfolder.h"

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
    QDir().mkpath(folder);
    return withTrailingSeparator(folder);
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
