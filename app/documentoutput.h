// Printing and saving a chapter's text document, apart from the windows.
#pragma once

#include "app/pagerect.h"
#include "app/rtfwriter.h"

#include <QString>

class QMimeData;
class QPrinter;
class QTextCursor;
class QTextDocument;
class QTextEdit;

namespace DocumentOutput {
// What a copy puts on the clipboard: plain text, HTML and Rich Text Format,
// in the colours of the text area the selection is shown in.
QMimeData *createMimeData(const QTextCursor &selection);

// The page rectangle for the printer's resolution and physical offsets.
PageRect pageRectFor(const QPrinter &printer);

// Lays the document out page after page in the page rectangle and prints it
// as a job named title, as many copies as the printer is set to, in the
// colours of paper and with a running foot naming the title and the page
// ("John 3 — page 1 of 2") at the bottom of the rectangle. Throws
// std::runtime_error when the printer fails. Returns the number of pages of
// one copy.
int print(const QTextDocument &document, QPrinter &printer, const QString &title,
          const QColor &textColor = QColor());

// ".txt" in any letter case: plain text; anything else: Rich Text Format.
// Throws std::runtime_error with the system's message when the file cannot
// be written (a half-written file stays).
void save(const QTextDocument &document, const QString &fileName,
          const RtfWriter::Options &options = RtfWriter::Options());
bool isPlainTextName(const QString &fileName);

// The background and default text colour a text area shows, for the RTF.
RtfWriter::Options rtfOptionsFor(const QTextEdit &edit);

// The colour itself when it reads on white paper; else the same hue dark
// enough to read, or black for a grey or white.
QColor readableOnPaper(const QColor &colour);
// Every colour of the text made to read on white paper, dark markings and
// the page colour taken away.
void useColoursOfPaper(QTextDocument &document);
} // namespace DocumentOutput
