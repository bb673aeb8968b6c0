#include "chapteroutput.h"

#include "app/formmain.h"
#include "reader/formbook.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocumentFragment>

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

QMimeData *createMimeData(const QTextCursor &selection)
{
    auto *data = new QMimeData;
    data->setText(selection.selection().toPlainText());
    return data;
}
}  // namespace ChapterOutput

void TFormMain::Copy1Click() {}
void TFormMain::SelectAll1Click() {}
void TFormMain::Print1Click() {}
void TFormMain::SaveAs1Click() {}
