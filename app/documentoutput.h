// Printing and saving a chapter's text document, apart from the windows.
#pragma once

#include "app/pagerect.h"
#include "app/rtfwriter.h"

#include <QString>

class QPrinter;
class QTextDocument;
class QTextEdit;

namespace DocumentOutput {
// The page rectangle for the printer's resolution and physical offsets.
PageRect pageRectFor(const QPrinter &printer);

// Lays the document out page after page in the page rectangle and prints it
// as a job named title, as many copies as the printer is set to. Throws
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
} // namespace DocumentOutput
