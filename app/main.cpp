#include "app/application.h"
#include "app/comeforward.h"
#include "app/commandline.h"
#include "app/commandlinereference.h"
#include "app/formmain.h"
#include "app/parameterfile.h"
#include "app/programfolder.h"
#include "app/singleinstance.h"
#include "scripture/dataset.h"

#include <QTimer>

#include <cstdio>

namespace {
void printError(const QString &message)
{
    std::fprintf(stderr, "kelvaro: %s\n", message.toLocal8Bit().constData());
}
} // namespace

int main(int argc, char *argv[])
{
    // Before the display, the hand-off file and the lock are touched.
    if (const int status = CommandLine::takeOptions(argc, argv); status >= 0)
        return status;

    // The user's data folder is named after the application.
    QCoreApplication::setApplicationName(QStringLiteral("Kelvaro"));

    // Every instance hands its reference list to the running one through
    // param.txt, before the single-instance test, and a second instance ends
    // before it needs anything else (a display included).
    const QString dataFolder = ProgramFolder::dataPath();
    QString handOffError;
    if (argc > 1) {
        // Arguments that name no passage are told here and never handed over.
        const CommandLineReference::Outcome reference =
            CommandLineReference::fromArguments(argc, argv);
        if (!reference.error.isEmpty()) {
            printError(reference.error);
            return 2;
        }
        if (ParameterFile::appendArgument(dataFolder, reference.list, &handOffError)) {
            handOffError.clear();
        } else {
            printError(handOffError);
        }
    }

    SingleInstance instance;
    if (dataFolder.isEmpty()) {
        printError(QStringLiteral("There is no folder for the user's files; the session "
                                  "cannot be kept."));
    } else {
        switch (instance.acquire(dataFolder)) {
        case SingleInstance::Outcome::Running:
            // A plain start hands over an empty list, so that the running
            // window still comes forward.
            if (argc <= 1 && !ComeForward::ask(dataFolder, &handOffError))
                printError(handOffError);
            return handOffError.isEmpty() ? 0 : 1;
        case SingleInstance::Outcome::Unavailable:
            // Better two instances than none: the take-over of param.txt is a
            // rename, which only one of them wins.
            printError(instance.errorString());
            break;
        case SingleInstance::Outcome::Acquired:
            break;
        }
    }

    KelvaroApplication app(argc, argv);
    Engine::setTableFolder(ProgramFolder::path());

    TFormMain formMain;
    formMain.show();
    if (!handOffError.isEmpty())
        QTimer::singleShot(0, &formMain, [handOffError] { ErrorReport::show(handOffError); });
    return app.exec();
}
