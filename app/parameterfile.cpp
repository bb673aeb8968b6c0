#include "app/parameterfile.h"

#include "app/application.h"
#include "app/comeforward.h"
#include "app/formmain.h"
#include "app/parameterinbox.h"
#include "app/parameterparser.h"
#include "app/pendingreference.h"
#include "app/privatefile.h"
#include "app/programfolder.h"
#include "scripture/dataset.h"
#include "scripture/scripturetext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// How long a sender waits for a take-over in progress.
constexpr int kLockWaitMs = 5000;

std::function<void()> &beforeLockHook()
{
    static std::function<void()> hook;
    return hook;
}

struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool lockWithin(int fd, int milliseconds)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() > milliseconds)
            return false;
        ::usleep(2000);
    }
}

// Thrown by the reader opener when one line reaches its cap: the rest of
// that line is dropped and the next line read.
struct LineCapReached
{
    QString message;
};
} // namespace

namespace ParameterFile {
void setBeforeLockHookForTesting(std::function<void()> hook)
{
    beforeLockHook() = std::move(hook);
}

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
    // A read-only home is told as such, not as a missing file.
    if (!QFileInfo(folder).isDir()) {
        const QString problem = ProgramFolder::dataFolderProblem();
        return fail(!problem.isEmpty() && folder == ProgramFolder::dataPath()
                        ? problem
                        : QStringLiteral("the folder %1 does not exist")
                              .arg(QDir::toNativeSeparators(folder)));
    }
    if (text.count(QLatin1Char(',')) >= MaxReadersPerLine)
        return fail(QStringLiteral("it names more than %1 passages; hand them over in "
                                   "several lists")
                        .arg(MaxReadersPerLine));
    // One write of the whole line: appends of other instances cannot land
    // inside it, and on a full disk it is either all there or taken back.
    const QByteArray line = text.toLocal8Bit() + "\r\n";
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        // Opening a FIFO for writing would wait for a reader for ever.
        struct stat existing;
        if (::lstat(name.constData(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
            !S_ISLNK(existing.st_mode))
            return fail(QStringLiteral("not a regular file"));
        QString reason;
        Descriptor file;
        file.fd = PrivateFile::open(path, O_WRONLY | O_APPEND | O_CREAT, &reason);
        if (file.fd < 0)
            return fail(reason);
        if (beforeLockHook())
            beforeLockHook()();
        if (!lockWithin(file.fd, kLockWaitMs))
            return fail(QStringLiteral("the running Kelvaro holds it locked"));
        // A take-over renamed the file between the open and the lock: the
        // line belongs in the fresh inbox.
        struct stat opened;
        struct stat named;
        if (::fstat(file.fd, &opened) != 0 || ::lstat(name.constData(), &named) != 0 ||
            opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
            continue;
        if ((opened.st_mode & 07777) != 0600)
            ::fchmod(file.fd, 0600);
        if (opened.st_size + line.size() > MaxBytesPerTakeOver)
            return fail(QStringLiteral("the lists handed over before have not been taken yet; "
                                       "try again when Kelvaro has opened them"));
        const ssize_t written = ::write(file.fd, line.constData(), size_t(line.size()));
        if (written == line.size())
            return true;
        const QString failure =
            written < 0 ? PrivateFile::reasonOf(errno) : QStringLiteral("the disk is full");
        if (written > 0 && ::ftruncate(file.fd, opened.st_size) != 0) {
            return fail(failure + QStringLiteral("; part of the line could not be taken back: %1")
                                      .arg(PrivateFile::reasonOf(errno)));
        }
        return fail(failure);
    }
}
} // namespace ParameterFile

void TFormMain::TimerParameterFileTimer()
{
    // A reader opened below may run a modal loop in which this timer ticks.
    if (m_takingOverParameterFile)
        return;
    m_takingOverParameterFile = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_takingOverParameterFile};
    ErrorReport::guard([this] { takeOverParameterFile(); });
}

void TFormMain::takeOverParameterFile()
{
    const QString folder = ProgramFolder::dataPath();
    if (folder.isEmpty())
        return;
    const ParameterFile::TakeOver takeOver = m_parameterInbox.takeOver(folder);
    if (takeOver.status == ParameterFile::TakeOver::Failed)
        throw std::runtime_error(takeOver.message.toStdString());
    if (takeOver.status != ParameterFile::TakeOver::Taken)
        return;
    // A later start asked for the window, with passages or without.
    ComeForward::bringForward(this);

    if (!takeOver.notice.isEmpty())
        ErrorReport::show(takeOver.notice);

    ScriptureText catalogue;
    int lookups = 0;
    const auto lookup = [&catalogue, &lookups, &takeOver](const QString &token) {
        if (lookups == ParameterFile::MaxBookLookupsPerLine) {
            throw LineCapReached{
                QStringLiteral("A reference list in %1 names more than %2 books; the rest of it "
                               "was not read.")
                    .arg(takeOver.path)
                    .arg(ParameterFile::MaxBookLookupsPerLine)};
        }
        ++lookups;
        const ScriptureText::NearestBook nearest = catalogue.nearestBook(token);
        if (nearest.book == 0)
            throw std::runtime_error(QStringLiteral("The book catalogue %1 is empty.")
                                         .arg(QDir::toNativeSeparators(catalogue.catalogueFile()))
                                         .toStdString());
        if (nearest.otherBook != 0) {
            throw std::runtime_error(
                QStringLiteral("The book catalogue %1 is inconsistent: the abbreviation "
                               "\"%2\" names both book %3 and book %4.")
                    .arg(QDir::toNativeSeparators(catalogue.catalogueFile()), nearest.abbreviation)
                    .arg(nearest.book)
                    .arg(nearest.otherBook)
                    .toStdString());
        }
        const qint32 book = nearest.book;
        return book;
    };
    int opened = 0;
    const auto open = [this, &opened, &takeOver](const ParameterParser::Reference &reference) {
        if (opened == ParameterFile::MaxReadersPerLine) {
            throw LineCapReached{
                QStringLiteral("A reference list in %1 names more than %2 passages; only the "
                               "first %2 of it were opened.")
                    .arg(takeOver.path)
                    .arg(ParameterFile::MaxReadersPerLine)};
        }
        ++opened;
        Open1Click(VerseReference{reference.Book, reference.Chapter, reference.Verse});
    };
    // Each line is one sender's list: one that runs away is cut, and the
    // lines of the other senders are still opened.
    ParameterParser::Parser parser(lookup, open);
    QString capped;
    for (const QString &line : takeOver.lines) {
        opened = 0;
        lookups = 0;
        try {
            parser.parseLine(line);
        } catch (const LineCapReached &cap) {
            if (capped.isEmpty())
                capped = cap.message;
        }
    }
    if (!capped.isEmpty())
        throw std::runtime_error(capped.toStdString());
}
