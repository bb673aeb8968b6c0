#include "app/parameterfile.h"

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

    Table &chapters = TableChapters();
    const auto lookup = [&chapters](const QString &token) {
        chapters.findNearest(token);
        return chapters.fieldByName(QStringLiteral("Book")).asInteger();
    };
    int opened = 0;
    const auto open = [this, &opened](const ParameterParser::Reference &reference) {
        if (opened == ParameterFile::MaxReadersPerTakeOver) {
            throw std::runtime_error(
                QStringLiteral("The reference list names more than %1 passages; only the "
                               "first %1 were opened.")
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
