// Copy, Select All, Print Chapter and Save Chapter As on a reader window.
#pragma once

class QMimeData;
class QTextCursor;
class QWidget;
class TFormBook;

namespace ChapterOutput {
// The active child as a reader, or null when it is none of a reader's
// (a search window, captioned "Find Verses", or a dictionary window, whose
// caption begins with "Easton").
TFormBook *readerOf(QWidget *activeChild);
// What a copy puts on the clipboard: plain text, HTML and Rich Text Format.
QMimeData *createMimeData(const QTextCursor &selection);
}  // namespace ChapterOutput
