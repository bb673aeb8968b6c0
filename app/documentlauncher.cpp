#include "documentlauncher.h"

#include "app/application.h"
#include "app/busycursor.h"
#include "app/clientarea.h"
#include "documents/formdocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {
// Browsers Debian registers for every desktop, for a desktop without
// xdg-open.
const char *const kDesktopBrowsers[] = {"x-www-browser", "sensible-browser"};

const char *const kProgramFailed =
    "The HTML viewer \"%1\" could not be started to show %2.\n\n"
    "The document is shown in Kelvaro's own document window instead. "
    "Tools > Options > HTML Viewer chooses another viewer.";
const char *const kDesktopFailed =
    "The desktop has no web browser that could show %1 (neither xdg-open nor "
    "x-www-browser could be started).\n\n"
    "The document is shown in Kelvaro's own document window instead. "
    "Tools > Options > HTML Viewer chooses another viewer.";

const char *const kMissing = "The file %1 does not exist.";
const char *const kNotADocument = "%1 is not a document file.";
const char *const kUnreadable = "The file %1 cannot be read.";

DocumentLauncher::Hook &hook()
{
    static DocumentLauncher::Hook installed;
    return installed;
}

DocumentLauncher::DesktopOpener &desktopOpener()
{
    static DocumentLauncher::DesktopOpener installed;
    return installed;
}

bool openOnDesktop(const QUrl &url)
{
    if (desktopOpener())
        return desktopOpener()(url);
    if (QDesktopServices::openUrl(url))
        return true;
    for (const char *browser : kDesktopBrowsers) {
        const QString program = QStandardPaths::findExecutable(QLatin1String(browser));
        if (!program.isEmpty() &&
            QProcess::startDetached(program, {QString::fromLatin1(url.toEncoded())}))
            return true;
    }
    return false;
}

// The document's file as a message names it: without the chapter's anchor.
QString documentName(const QString &fullPath)
{
    return QDir::toNativeSeparators(DocumentLauncher::fileUrl(fullPath).toLocalFile());
}

QWidget *messageParent(const ClientArea *area)
{
    return area ? area->mainWindow() : nullptr;
}

// The built-in window reads the document itself: one that is missing, cannot
// be read, or is no plain file (a FIFO would never end) is reported instead.
void showBuiltIn(const QString &fullPath, ClientArea *area)
{
    const QUrl url = DocumentLauncher::fileUrl(fullPath);
    const QFileInfo file(url.toLocalFile());
    QString problem;
    if (!file.exists())
        problem = QString::fromLatin1(kMissing);
    else if (!file.isFile())
        problem = QString::fromLatin1(kNotADocument);
    else if (!file.isReadable())
        problem = QString::fromLatin1(kUnreadable);
    if (!problem.isEmpty()) {
        ErrorReport::information(messageParent(area),
                                 problem.arg(QDir::toNativeSeparators(file.filePath())));
        return;
    }
    TFormDocument::showDocument(url, area);
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

Outcome launch(const QString &viewerText, const QString &fullPath, ClientArea *area)
{
    const QString address = fileAddress(fullPath);
    if (hook()) {
        hook()(viewerProgram(viewerText), address);
        return Outcome::Viewer;
    }
    const ViewerChoice choice = viewerChoice(viewerText);
    QString failure;
    switch (choice.viewer) {
    case Viewer::BuiltIn:
        showBuiltIn(fullPath, area);
        return Outcome::BuiltIn;
    case Viewer::Program: {
        // The program itself, with the address as its one argument: no shell
        // sees either, whatever characters they hold.
        BusyCursor busy;
        if (QProcess::startDetached(choice.program, {address}))
            return Outcome::Viewer;
        failure = QString::fromLatin1(kProgramFailed).arg(choice.program, documentName(fullPath));
        break;
    }
    case Viewer::Desktop: {
        BusyCursor busy;
        if (openOnDesktop(fileUrl(fullPath)))
            return Outcome::DesktopHandler;
        failure = QString::fromLatin1(kDesktopFailed).arg(documentName(fullPath));
        break;
    }
    }
    // The message first, so that the window it tells of is the one in front
    // when it is dismissed.
    ErrorReport::information(messageParent(area), failure);
    showBuiltIn(fullPath, area);
    return Outcome::FellBack;
}

void setHookForTesting(Hook installed)
{
    hook() = std::move(installed);
}

void setDesktopOpenerForTesting(DesktopOpener opener)
{
    desktopOpener() = std::move(opener);
}
} // namespace DocumentLauncher
