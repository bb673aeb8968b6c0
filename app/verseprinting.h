// Printing part of a chapter: the verses a person selected, whole, under
// the chapter's heading.
#pragma once

#include <QString>

#include <memory>

class QTextDocument;
class TFormBook;

namespace VersePrinting {
// True when the reader's selection reaches into at least one verse line.
bool hasSelectedVerses(const TFormBook &reader);
// A copy of the reader's text holding the heading lines and every verse the
// selection touches, whole; range becomes the place printed, "Psalms 119:9-16".
std::unique_ptr<QTextDocument> selectedVerses(const TFormBook &reader, QString *range);
} // namespace VersePrinting
