#include "app/parameterfile.h"

#include "app/application.h"
#include "app/comeforward.h"
#include "app/formmain.h"
#include "app/parameterinbox.h"
#include "app/parameterparser.h"
#include "app/pendingreference.h"
#include "app/programfolder.h"
#include "scripture/dataset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <unistd.h>

namespace ParameterFile {
bool appendArgument(const QString &folder, const QString &text, QString *error)
{
    const QString path = folder + QStringLiteral("param.txt");
    const auto fail = [&](const QString &reason) {
        if (error) {
            *error = QStringLiteral("The reference list was not handed over: %1: %2")
                         .arg(QDir::toNativeSeparators(path), reason);
        }
        return false;
    };
    if (folder.isEmpty())
        return fail(QStringLiteral("there is no folder for the user's files"));
    // Opening a FIFO for writing would wait for a reader for ever.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("not a regular file"));

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return fail(file.errorString());
    // One write of the whole line: appends of other instances cannot land
    // inside it, and on a full disk it is either all there or taken back.
    const QByteArray line = text.toLocal8Bit() + "\r\n";
    const ssize_t written = ::write(file.handle(), line.constData(), size_t(line.size()));
    if (written == line.size())
        return true;
    const QString reason = written < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                       : QStringLiteral("the disk is full");
    if (written > 0) {
        const off_t end = ::lseek(file.handle(), 0, SEEK_CUR);
        if (end < written || ::ftruncate(file.handle(), end - written) != 0) {
            return fail(reason + QStringLiteral("; part of the line could not be taken back: %1")
                                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
        }
    }
    return fail(reason);
}
} // namespace ParameterFile

void TFormMain::TimerParameterFileTimer()
{
    static ParameterFile::Inbox inbox;
    // A reader opened below may run a modal loop in which this timer ticks.
    static bool running = false;
    if (running)
        return;
    running = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{running};

    const QString folder = ProgramFolder::dataPath();
    if (folder.isEmpty())
        return;
    const ParameterFile::TakeOver takeOver = inbox.takeOver(folder);
    if (takeOver.status == ParameterFile::TakeOver::Failed)
        throw std::runtime_error(takeOver.message.toStdString());
    if (takeOver.status != ParameterFile::TakeOver::Taken)
        return;
    // A later start asked for the window, with passages or without.
    ComeForward::bringForward(this);

    if (!takeOver.notice.isEmpty())
        ErrorReport::show(takeOver.notice);

    Table &chapters = TableChapters();
    int lookups = 0;
    const auto lookup = [&chapters, &lookups, &takeOver](const QString &token) {
        if (lookups == ParameterFile::MaxBookLookupsPerTakeOver) {
            throw std::runtime_error(
                QStringLiteral("The reference list %1 names more than %2 books; the rest of it "
                               "was not read.")
                    .arg(takeOver.path)
                    .arg(ParameterFile::MaxBookLookupsPerTakeOver)
                    .toStdString());
        }
        ++lookups;
        chapters.findNearest(token);
        return chapters.fieldByName(QStringLiteral("Book")).asInteger();
    };
    int opened = 0;
    const auto open = [this, &opened, &takeOver](const ParameterParser::Reference &reference) {
        if (opened == ParameterFile::MaxReadersPerTakeOver) {
            throw std::runtime_error(
                QStringLiteral("The reference list %1 names more than %2 passages; only the "
                               "first %2 were opened.")
                    .arg(takeOver.path)
                    .arg(ParameterFile::MaxReadersPerTakeOver)
                    .toStdString());
        }
        ++opened;
        PendingReference.Book = reference.Book;
        PendingReference.Chapter = reference.Chapter;
        PendingReference.Verse = reference.Verse;
        Open1Click();
    };
    ParameterParser::parse(takeOver.lines, lookup, open);
}
