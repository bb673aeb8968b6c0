// Verses copied with their reference: the verses touched by a selection,
// each with its number, then "John 3:16-17 (KJV)", as plain text, HTML and
// Rich Text Format. Highlights go along as a background in HTML and RTF.
#pragma once

#include <QString>

class QMimeData;
class QTextCursor;
class QWidget;
class TFormBook;

namespace VerseCopy {
// The verse (1, 2, ...) whose line holds the position; 0 above the first
// verse or below the last.
int verseAt(const TFormBook &reader, int position);
// The verse under the caret, or the first selected: the heading counts as
// verse 1, the closing line as the last verse. 0 when the chapter is empty.
int caretVerse(const TFormBook &reader);
int verseCount(const TFormBook &reader);
// "John 3:16 (KJV)", "John 3:16-17 (KJV)".
QString reference(const QString &book, int chapter, int first, int last);
// Verses first to last of the reader's chapter.
QMimeData *mimeData(const TFormBook &reader, int first, int last);
// What a copy of the selection gives when it is a selection of verses: two
// or more verses, or one whole verse, neither heading nor closing line.
// Null for any other selection, which copies as it stands.
QMimeData *forSelection(const QWidget *area, const QTextCursor &selection);
// First and last verse the selection touches (both 0 when none).
void selectedVerses(const TFormBook &reader, const QTextCursor &selection, int &first, int &last);
} // namespace VerseCopy
