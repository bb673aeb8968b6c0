#include "chapteroutput.h"

#include "app/application.h"
#include "app/busycursor.h"
#include "app/documentoutput.h"
#include "app/formmain.h"
#include "app/verseprinting.h"
#include "documents/formdocument.h"
#include "reader/formbook.h"
#include "study/versecopy.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextEdit>

namespace {
// The save dialog's file types, the first selected, each with the extension
// a name without one gets while that type is selected.
struct SaveType
{
    QString filter;
    QString suffix;
};
const SaveType kSaveTypes[] = {
    {QStringLiteral("Rich Text Files (*.RTF)"), QStringLiteral("RTF")},
    {QStringLiteral("Text Files (*.TXT)"), QStringLiteral("TXT")},
};
// The reader's print dialog offers no page range and no selection; Qt's
// print-to-file entry stays, as it is how a PDF is made on this platform.
const QAbstractPrintDialog::PrintDialogOptions kPrintOptions =
    QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize;

// Qt's print dialog on a system with CUPS shows its page range, page set
// and reverse order whatever the options say. The chapter is always printed
// whole and in order, so those controls would only pretend to do something.
class ChapterPrintDialog : public QPrintDialog
{
public:
    using QPrintDialog::QPrintDialog;

    void setVisible(bool visible) override
    {
        QPrintDialog::setVisible(visible);
        if (!visible)
            return;
        for (const char *name : {"gbPrintRange", "reverse"}) {
            if (auto *control = findChild<QWidget *>(QLatin1String(name)))
                control->hide();
        }
        // With verses selected the choice is the whole chapter or those
        // verses; pages are never picked out.
        if (testOption(QAbstractPrintDialog::PrintSelection)) {
            if (auto *range = findChild<QWidget *>(QStringLiteral("gbPrintRange")))
                range->show();
            for (const char *name :
                 {"printRange", "from", "to", "pagesRadioButton", "pagesLineEdit",
                  "printCurrentPage", "pageSetLabel", "pageSetCombo"}) {
                if (auto *control = findChild<QWidget *>(QLatin1String(name)))
                    control->hide();
            }
        }
        suggestFileName();
    }

private:
    // A PDF is named after the chapter ("Psalms 119.pdf"), in the folder Qt
    // would suggest, rather than "print.pdf".
    void suggestFileName()
    {
        auto *file = findChild<QLineEdit *>(QStringLiteral("filename"));
        const QString title = printer()->docName();
        if (!file || title.isEmpty())
            return;
        // Qt offers a folder alone, or "print.pdf" in it; a name of the
        // person's own stays.
        const QString offered = file->text();
        const QFileInfo current(offered);
        const bool folderOnly = offered.isEmpty() || offered.endsWith(QLatin1Char('/'));
        if (!folderOnly && current.fileName() != QLatin1String("print.pdf"))
            return;
        const QString folder = offered.isEmpty() ? QDir::homePath()
                               : folderOnly      ? offered
                                                 : current.path();
        file->setText(QDir(folder).filePath(title + QStringLiteral(".pdf")));
    }
};

ChapterOutput::DialogRunner &dialogRunner()
{
    static ChapterOutput::DialogRunner runner;
    return runner;
}

int runDialog(QDialog &dialog)
{
    if (dialogRunner())
        return dialogRunner()(dialog);
    return dialog.exec();
}
} // namespace

namespace ChapterOutput {
TFormBook *readerOf(QWidget *activeChild)
{
    return qobject_cast<TFormBook *>(activeChild);
}

QMimeData *createMimeData(const QTextCursor &selection)
{
    return DocumentOutput::createMimeData(selection);
}

void setDialogRunnerForTesting(DialogRunner runner)
{
    dialogRunner() = std::move(runner);
}
} // namespace ChapterOutput

void TFormMain::Copy1Click()
{
    if (auto *document = qobject_cast<TFormDocument *>(activeChild())) {
        document->Copy1Click();
        return;
    }
    TFormBook *reader = ChapterOutput::readerOf(activeChild());
    if (!reader)
        return;
    const QTextCursor selection = reader->RxRichEdit1->textCursor();
    if (!selection.hasSelection())
        return;
    // Verses go with their reference; any other selection as it stands.
    QMimeData *verses = VerseCopy::forSelection(reader->RxRichEdit1, selection);
    QGuiApplication::clipboard()->setMimeData(verses ? verses
                                                     : ChapterOutput::createMimeData(selection));
}

void TFormMain::SelectAll1Click()
{
    if (auto *document = qobject_cast<TFormDocument *>(activeChild())) {
        document->BrowserDocument->selectAll();
        return;
    }
    if (TFormBook *reader = ChapterOutput::readerOf(activeChild()))
        reader->RxRichEdit1->selectAll();
}

void TFormMain::Print1Click()
{
    TFormBook *reader = ChapterOutput::readerOf(activeChild());
    if (!reader)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(reader->printTitle());
    ChapterPrintDialog dialog(&printer, this);
    dialog.setOptions(kPrintOptions);
    if (VersePrinting::hasSelectedVerses(*reader))
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    QTextEdit *edit = reader->RxRichEdit1;
    ErrorReport::guard([&] {
        BusyCursor busy;
        if (printer.printRange() == QPrinter::Selection) {
            QString range;
            const auto verses = VersePrinting::selectedVerses(*reader, &range);
            DocumentOutput::print(*verses, printer, range, edit->palette().color(QPalette::Text));
            return;
        }
        DocumentOutput::print(*edit->document(), printer, reader->printTitle(),
                              edit->palette().color(QPalette::Text));
    });
}

void TFormMain::SaveAs1Click()
{
    TFormBook *reader = ChapterOutput::readerOf(activeChild());
    if (!reader)
        return;
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const SaveType &type : kSaveTypes)
        filters.append(type.filter);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(kSaveTypes[0].filter);
    dialog.setDefaultSuffix(kSaveTypes[0].suffix);
    // Qt's dialog adds one fixed extension whatever the type; the person
    // who picks "Text Files" expects a .TXT file, as the system dialog
    // gives. The overwrite question then also asks about the right name.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        for (const SaveType &type : kSaveTypes) {
            if (type.filter == filter)
                dialog.setDefaultSuffix(type.suffix);
        }
    });
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.selectFile(reader->printTitle());
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    const QString fileName = dialog.selectedFiles().value(0);
    if (fileName.isEmpty())
        return;
    QTextEdit *edit = reader->RxRichEdit1;
    // A file that cannot be written is told by its name and the reason.
    ErrorReport::guard([&] {
        DocumentOutput::save(*edit->document(), fileName, DocumentOutput::rtfOptionsFor(*edit));
    });
}
