#include "chapteroutput.h"

#include "app/formmain.h"
#include "reader/formbook.h"

namespace ChapterOutput {
TFormBook *readerOf(QWidget *activeChild)
{
    if (!activeChild)
        return nullptr;
    const QString caption = activeChild->windowTitle();
    if (caption == QStringLiteral("Find Verses") || caption.startsWith(QStringLiteral("Easton")))
        return nullptr;
    return qobject_cast<TFormBook *>(activeChild);
}
}  // namespace ChapterOutput

void TFormMain::Copy1Click() {}
void TFormMain::SelectAll1Click() {}
void TFormMain::Print1Click() {}
void TFormMain::SaveAs1Click() {}
