#include "viewersetting.h"

#include <QFileInfo>

namespace {
const char *const kBuiltIn = "<built-in>";
const char *const kDesktop = "<desktop>";
// The browser older settings named, which exists only on Windows.
const char *const kOldDefault = "iexplore.exe";

const char *const kBuiltInWords = "Kelvaro's own document window";
const char *const kDesktopWords = "the desktop's default web browser";
} // namespace

namespace DocumentLauncher {
QString builtInSetting()
{
    return QString::fromLatin1(kBuiltIn);
}

QString desktopSetting()
{
    return QString::fromLatin1(kDesktop);
}

QString defaultSetting()
{
    return builtInSetting();
}

ViewerChoice viewerChoice(const QString &viewerText)
{
    const QString program = viewerProgram(viewerText);
    if (program.isEmpty() || program.compare(builtInSetting(), Qt::CaseInsensitive) == 0 ||
        QFileInfo(QString(program).replace(QLatin1Char('\\'), QLatin1Char('/')))
                .fileName()
                .compare(QLatin1String(kOldDefault), Qt::CaseInsensitive) == 0)
        return {Viewer::BuiltIn, QString()};
    if (program.compare(desktopSetting(), Qt::CaseInsensitive) == 0)
        return {Viewer::Desktop, QString()};
    return {Viewer::Program, program};
}

QString describe(const QString &viewerText)
{
    const ViewerChoice choice = viewerChoice(viewerText);
    switch (choice.viewer) {
    case Viewer::BuiltIn:
        return QString::fromLatin1(kBuiltInWords);
    case Viewer::Desktop:
        return QString::fromLatin1(kDesktopWords);
    case Viewer::Program:
        break;
    }
    return QLatin1Char('"') + choice.program + QLatin1Char('"');
}

QString viewerProgram(const QString &viewerText)
{
    QString program = viewerText.trimmed();
    if (program.size() >= 2 && program.startsWith(QLatin1Char('"')) &&
        program.endsWith(QLatin1Char('"')))
        program = program.mid(1, program.size() - 2).trimmed();
    return program;
}
} // namespace DocumentLauncher
