#include "app/verseprinting.h"

#include "reader/formbook.h"

#include <QComboBox>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace {
struct VerseSpan
{
    int first = -1; // entries of the verse list, from 0
    int last = -1;
};

int verseCount(const TFormBook &reader)
{
    return std::min(reader.ComboBoxVerse->count(), int(TFormBook::MaxVerses));
}

// The verse whose line holds the position, or -1 above the first verse and
// past the last.
int verseAt(const TFormBook &reader, int position)
{
    const int verses = verseCount(reader);
    if (verses == 0 || position < reader.verseStart(0) || position >= reader.verseStart(verses))
        return -1;
    for (int k = 0; k < verses; ++k) {
        if (position < reader.verseStart(k + 1))
            return k;
    }
    return -1;
}

VerseSpan selectedSpan(const TFormBook &reader)
{
    const QTextCursor cursor = reader.RxRichEdit1->textCursor();
    const int verses = verseCount(reader);
    if (!cursor.hasSelection() || verses == 0)
        return {};
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd() - 1;
    if (end < reader.verseStart(0) || start >= reader.verseStart(verses))
        return {};
    VerseSpan span;
    span.first = start < reader.verseStart(0) ? 0 : verseAt(reader, start);
    span.last = end >= reader.verseStart(verses) ? verses - 1 : verseAt(reader, end);
    if (span.first < 0 || span.last < span.first)
        return {};
    return span;
}
} // namespace

namespace VersePrinting {
bool hasSelectedVerses(const TFormBook &reader)
{
    return selectedSpan(reader).first >= 0;
}

std::unique_ptr<QTextDocument> selectedVerses(const TFormBook &reader, QString *range)
{
    const VerseSpan span = selectedSpan(reader);
    std::unique_ptr<QTextDocument> copy(reader.RxRichEdit1->document()->clone());
    if (span.first < 0) {
        if (range)
            *range = reader.printTitle();
        return copy;
    }
    QTextCursor cursor(copy.get());
    // The later cut first, so that the earlier positions still hold; the
    // line break that ends the last verse goes with what follows it.
    cursor.setPosition(reader.verseStart(span.last + 1) - 1);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.setPosition(reader.verseStart(0));
    cursor.setPosition(reader.verseStart(span.first), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    if (range) {
        *range =
            reader.printTitle() + QLatin1Char(':') + reader.ComboBoxVerse->itemText(span.first);
        if (span.last > span.first)
            *range += QLatin1Char('-') + reader.ComboBoxVerse->itemText(span.last);
    }
    return copy;
}
} // namespace VersePrinting
