// The main window's reference documents: translators' notes, commentary
// introductions, the page on eternal life and the help, opened in the
// HTML viewer.
#include "app/application.h"
#include "app/documentlauncher.h"
#include "app/formmain.h"
#include "app/programfolder.h"
#include "options/appearance.h"

#include <QDir>
#include <QFileInfo>

namespace {
// Paths relative to the program folder, written with "/" and handed on in
// the platform's own form.
const char *const kKjvNotes = "kjvnotes.htm";
const char *const kMhcIntroduction = "mhc/index.htm";
const char *const kJfbIntroduction = "jfb/jfb00.htm";
const char *const kJfbMissing = "jfb/getjfb.htm";
const char *const kSalvation = "salvation/index.htm";
const char *const kHelp = "help/index.htm";

QString relative(const char *path)
{
    return QDir::toNativeSeparators(QString::fromLatin1(path));
}
} // namespace

void TFormMain::OpenReferenceDocument(const QString &relativePath)
{
    const QString full = ProgramFolder::path() + relativePath;
    if (!QFileInfo::exists(full)) {
        ErrorReport::information(this, QStringLiteral("The file ") + full +
                                           QStringLiteral(" does not exist."));
        return;
    }
    // The launch shows the busy cursor while the viewer starts.
    openDocument(full);
}

DocumentLauncher::Outcome TFormMain::openDocument(const QString &fullPath)
{
    return DocumentLauncher::launch(m_appearance->value().edithtmlviewer, fullPath, m_clientArea);
}

void TFormMain::AbouttheKingJamesVersion1Click()
{
    OpenReferenceDocument(relative(kKjvNotes));
}

void TFormMain::MathewHenrysConciseCommentary1Click()
{
    OpenReferenceDocument(relative(kMhcIntroduction));
}

void TFormMain::JamiesonFaussetBrownCommentary1Click()
{
    const QString introduction = relative(kJfbIntroduction);
    if (QFileInfo::exists(ProgramFolder::path() + introduction))
        OpenReferenceDocument(introduction);
    else
        OpenReferenceDocument(relative(kJfbMissing));
}

void TFormMain::HowtoHaveEternalLife1Click()
{
    OpenReferenceDocument(relative(kSalvation));
}

void TFormMain::HelpwiththisProgram1Click()
{
    OpenReferenceDocument(relative(kHelp));
}
