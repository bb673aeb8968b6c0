#include "documentlauncher.h"

#include "app/busycursor.h"

#include "app/formmain.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>

namespace {
DocumentLauncher::Hook &hook()
{
    static DocumentLauncher::Hook installed;
    return installed;
}

} // namespace

namespace DocumentLauncher {
QString fileAddress(const QString &fullPath)
{
    const QString path = QDir::fromNativeSeparators(fullPath);
    // A network path keeps its host: file://server/share/...
    if (path.startsWith(QLatin1String("//")))
        return QLatin1String("file:") + path;
    if (path.startsWith(QLatin1Char('/')))
        return QLatin1String("file://") + path;
    return QLatin1String("file:///") + path;
}

QUrl fileUrl(const QString &fullPath)
{
    if (QFileInfo::exists(fullPath))
        return QUrl::fromLocalFile(fullPath);
    const QString path = QDir::fromNativeSeparators(fullPath);
    const int hash = path.lastIndexOf(QLatin1Char('#'));
    if (hash < 0 || hash < path.lastIndexOf(QLatin1Char('/')))
        return QUrl::fromLocalFile(path);
    QUrl url = QUrl::fromLocalFile(path.left(hash));
    url.setFragment(path.mid(hash + 1));
    return url;
}

QString viewerProgram(const QString &viewerText)
{
    QString program = viewerText.trimmed();
    if (program.size() >= 2 && program.startsWith(QLatin1Char('"')) &&
        program.endsWith(QLatin1Char('"')))
        program = program.mid(1, program.size() - 2).trimmed();
    return program;
}

QString viewerSetting()
{
    TFormMain *main = TFormMain::instance();
    return main && main->edithtmlviewer ? main->edithtmlviewer->text() : QString();
}

Outcome launch(const QString &viewerText, const QString &fullPath)
{
    BusyCursor busy;
    const QString program = viewerProgram(viewerText);
    const QString address = fileAddress(fullPath);
    if (hook()) {
        hook()(program, address);
        return Outcome::Viewer;
    }
    if (!program.isEmpty() && QProcess::startDetached(program, {address}))
        return Outcome::Viewer;
    if (QDesktopServices::openUrl(fileUrl(fullPath)))
        return Outcome::DesktopHandler;
    return Outcome::Failed;
}

Outcome open(const QString &fullPath)
{
    return launch(viewerSetting(), fullPath);
}

void setHookForTesting(Hook installed)
{
    hook() = std::move(installed);
}
} // namespace DocumentLauncher
