// Marks laid over the chapter without changing its text: a band behind the
// verses a search result opened, and the keywords it found. Both are the text
// area's extra selections, so copying, printing and saving the chapter never
// carry them, and they go with the chapter.
#include "reader/formbook.h"

#include "reader/versemark.h"
#include "search/keywordmatcher.h"

#include <QComboBox>
#include <QTextBlock>
#include <QTextDocument>

void TFormBook::markVerses(int first, int last)
{
    const int verses = qMin(ComboBoxVerse->count(), int(MaxVerses));
    if (first < 1 || last < first || last > verses)
        m_markedVerses = {0, 0};
    else
        m_markedVerses = {first, last};
    refreshExtraSelections();
}

void TFormBook::highlightWords(const QStringList &words, bool matchCase, bool wholeWords)
{
    m_wordSelections.clear();
    const QPalette palette = RxRichEdit1->palette();
    QTextCharFormat format;
    format.setBackground(palette.color(QPalette::Active, QPalette::Highlight));
    format.setForeground(palette.color(QPalette::Active, QPalette::HighlightedText));
    const QTextDocument *document = RxRichEdit1->document();
    for (int verse = 1; verse <= ComboBoxVerse->count() && verse <= MaxVerses; ++verse) {
        const QTextBlock block = document->findBlock(VerseStarts[std::size_t(verse - 1)]);
        if (!block.isValid())
            continue;
        // The verse's number is its first fragment; the keywords are sought
        // in the text after it, as the search sought them.
        const QTextBlock::iterator number = block.begin();
        const int textStart = number.atEnd()
                                  ? block.position()
                                  : number.fragment().position() + number.fragment().length();
        const QString text = block.text().mid(textStart - block.position());
        for (const auto &span : KeywordMatcher::spans(text, words, matchCase, wholeWords)) {
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(RxRichEdit1->document());
            selection.cursor.setPosition(textStart + span.first);
            selection.cursor.setPosition(textStart + span.second, QTextCursor::KeepAnchor);
            selection.format = format;
            m_wordSelections.append(selection);
        }
    }
    refreshExtraSelections();
}

QVector<QPair<int, int>> TFormBook::highlightedWords() const
{
    QVector<QPair<int, int>> ranges;
    for (const QTextEdit::ExtraSelection &selection : m_wordSelections)
        ranges.append({selection.cursor.selectionStart(), selection.cursor.selectionEnd()});
    return ranges;
}

void TFormBook::refreshExtraSelections()
{
    QList<QTextEdit::ExtraSelection> selections;
    if (m_markedVerses.first > 0) {
        const int first = m_markedVerses.first;
        const int last = m_markedVerses.second;
        QTextEdit::ExtraSelection band;
        band.cursor = QTextCursor(RxRichEdit1->document());
        band.cursor.setPosition(VerseStarts[std::size_t(first - 1)]);
        // Up to the end of the last verse's text, not into the next line.
        band.cursor.setPosition(
            qMax(VerseStarts[std::size_t(first - 1)], VerseStarts[std::size_t(last)] - 1),
            QTextCursor::KeepAnchor);
        const QPalette palette = RxRichEdit1->palette();
        band.format.setBackground(
            VerseMark::colour(palette.color(QPalette::Base), palette.color(QPalette::Text)));
        selections.append(band);
    }
    selections += m_wordSelections;
    RxRichEdit1->setExtraSelections(selections);
}

void TFormBook::forgetMarks()
{
    m_markedVerses = {0, 0};
    m_wordSelections.clear();
    RxRichEdit1->setExtraSelections({});
}
