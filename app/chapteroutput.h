// Copy, Select All, Print Chapter and Save Chapter As on a reader window.
#pragma once

#include <functional>

class QDialog;
class QMimeData;
class QTextCursor;
class QWidget;
class TFormBook;

namespace ChapterOutput {
// The active child as a reader, or null when it is another kind of window
// (search, dictionary, study, document) or none.
TFormBook *readerOf(QWidget *activeChild);
// What a copy puts on the clipboard: plain text, HTML and Rich Text Format.
QMimeData *createMimeData(const QTextCursor &selection);

// Runs the print and save dialogs in place of QDialog::exec(): tests look
// at the configured dialog, choose a printer or file in it and return
// QDialog::Accepted or QDialog::Rejected. An empty function restores exec().
using DialogRunner = std::function<int(QDialog &dialog)>;
void setDialogRunnerForTesting(DialogRunner runner);
} // namespace ChapterOutput
