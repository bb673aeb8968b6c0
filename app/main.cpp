#include "app/application.h"
#include "app/formmain.h"
#include "app/parameterfile.h"
#include "app/programfolder.h"
#include "app/singleinstance.h"

int main(int argc, char *argv[])
{
    KelvaroApplication app(argc, argv);

    // Every instance hands its reference list to the running one through
    // param.txt, before the single-instance test.
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1)
        ParameterFile::appendArgument(ProgramFolder::path(), arguments.at(1));

    SingleInstance instance;
    if (!instance.acquire())
        return 0;

    TFormMain formMain;
    formMain.show();
    return app.exec();
}
