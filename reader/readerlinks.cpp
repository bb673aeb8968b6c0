// The reader's links: the two commentaries for the chapter shown, the
// dictionary look-up of the selected word, and copying the selection.
#include "reader/formbook.h"

#include "app/application.h"
#include "app/clientarea.h"
#include "app/documentlauncher.h"
#include "app/programfolder.h"
#include "dictionary/formebd.h"
#include "options/appearance.h"
#include "scripture/scripturetext.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMetaMethod>
#include <QTextCursor>
#include <QTextEdit>

#include <exception>

namespace {
const char *const kMhcFolder = "mhc";
const char *const kJfbFolder = "jfb";
// Present only when the Jamieson-Fausset-Brown documents are installed.
const char *const kJfbSign = "jfb00.htm";
const char *const kJfbMissing = "getjfb.htm";

QString inFolder(const char *folder, const QString &name)
{
    return QString::fromLatin1(folder) + QDir::separator() + name;
}

// A failure while a path is built is told from the event loop, not in the
// middle of the button's own code.
template <typename Work> void reportingFailures(QObject *context, Work work)
{
    ErrorReport::guard(work, ErrorReport::later(context));
}

// Closes a child window of the main window together with its frame.
void closeChild(QWidget *child)
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(child->parentWidget()))
        frame->close();
    else
        child->close();
}
} // namespace

void TFormBook::RxSpeedButtonMHCClick()
{
    reportingFailures(this, [this] {
        const QString relative = inFolder(
            kMhcFolder, m_scripture->commentaryFiles(ComboBoxBook->currentIndex() + 1).mhc +
                            ComboBoxChapter->currentText());
        DocumentLauncher::launch(appearance().edithtmlviewer, ProgramFolder::path() + relative,
                                 ClientArea::of(this));
    });
}

void TFormBook::MHCCommentary1Click()
{
    RxSpeedButtonMHCClick();
}

void TFormBook::RxSpeedButtonJFBClick()
{
    reportingFailures(this, [this] {
        const QString folder = ProgramFolder::path();
        QString full;
        if (QFileInfo::exists(folder + inFolder(kJfbFolder, QString::fromLatin1(kJfbSign))))
            full = folder +
                   inFolder(kJfbFolder,
                            m_scripture->commentaryFiles(ComboBoxBook->currentIndex() + 1).jfb +
                                ComboBoxChapter->currentText());
        else
            full = folder + inFolder(kJfbFolder, QString::fromLatin1(kJfbMissing));
        DocumentLauncher::launch(appearance().edithtmlviewer, full, ClientArea::of(this));
    });
}

void TFormBook::JFBCommentary1Click()
{
    RxSpeedButtonJFBClick();
}

void TFormBook::RxSpeedButtonEBDClick()
{
    LookUpWord1Click();
}

void TFormBook::LookUpWord1Click()
{
    auto *dictionary = new TFormebd;
    // The dictionary lives in the main window's client area but belongs to
    // this reader: it closes when the reader goes.
    connect(this, &QObject::destroyed, dictionary, [dictionary] { closeChild(dictionary); });
    if (isSignalConnected(QMetaMethod::fromSignal(&TFormBook::openChildRequested)))
        emit openChildRequested(dictionary);
    else
        dictionary->show();
    dictionary->Edit1->setText(selectedWord());
}

void TFormBook::CopyCtrlC1Click()
{
    RxRichEdit1->copy();
}

void TFormBook::RxPopupMenu1Popup()
{
    CopyCtrlC1->setEnabled(RxRichEdit1->textCursor().hasSelection());
}

// The selection as the reader sees it: paragraph and line separators become
// line breaks and no-break spaces plain spaces, so a word double-clicked
// anywhere in the chapter reaches the dictionary letter for letter.
QString TFormBook::selectedWord() const
{
    QString text = RxRichEdit1->textCursor().selectedText();
    for (QChar &c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
        else if (c == QChar::Nbsp)
            c = QLatin1Char(' ');
    }
    return text;
}
