#include "app/parameterfile.h"

#include "app/application.h"
#include "app/formmain.h"
#include "app/parameterinbox.h"
#include "app/parameterparser.h"
#include "app/pendingreference.h"
#include "app/programfolder.h"
#include "scripture/dataset.h"

#include <QFile>

#include <stdexcept>

namespace ParameterFile {
bool appendArgument(const QString &folder, const QString &text)
{
    QFile file(folder + QStringLiteral("param.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = text.toLocal8Bit() + "\r\n";
    return file.write(line) == line.size();
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

    const ParameterFile::TakeOver takeOver = inbox.takeOver(ProgramFolder::path());
    if (takeOver.status == ParameterFile::TakeOver::Failed)
        throw std::runtime_error(takeOver.message.toStdString());
    if (takeOver.status != ParameterFile::TakeOver::Taken)
        return;

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
