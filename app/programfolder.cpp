#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>

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
} // namespace

namespace ProgramFolder {
QString path()
{
    if (!overridden().isEmpty())
        return overridden();
    return withTrailingSeparator(QCoreApplication::applicationDirPath());
}

void setPathForTesting(const QString &folder)
{
    overridden() = folder.isEmpty() ? QString() : withTrailingSeparator(folder);
}
} // namespace ProgramFolder
