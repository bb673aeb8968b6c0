#include "app/formmain.h"

void TFormMain::OpenReferenceDocument(const QString &relativePath)
{
    Q_UNUSED(relativePath);
}
void TFormMain::AbouttheKingJamesVersion1Click() {}
void TFormMain::MathewHenrysConciseCommentary1Click() {}
void TFormMain::JamiesonFaussetBrownCommentary1Click() {}
void TFormMain::HowtoHaveEternalLife1Click() {}
void TFormMain::HelpwiththisProgram1Click() {}
