// Marks laid over the chapter without changing its text: a band behind the
// verses a search result opened, and the keywords it found. Both are the text
// area's extra selections, so copying, printing and saving the chapter never
// carry them, and they go with the chapter.
#include "reader/formbook.h"

#include "search/keywordmatcher.h"

#include <QComboBox>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// The band lets the text's own colour show through on any background; the
// words take the system's selection colours, which are made to be read.
constexpr qreal kBandStrength = 0.3;

QColor blended(const QColor &base, const QColor &over, qreal strength)
{
    return QColor::fromRgbF(float(base.redF() + (over.redF() - base.redF()) * strength),
                            float(base.greenF() + (over.greenF() - base.greenF()) * strength),
                            float(base.blueF() + (over.blueF() - base.blueF()) * strength));
}

} // namespace

void TFormBook::markVerses(int first, int last)
{
    const int verses = ComboBoxVerse->count();
    if (first < 1 || last < first || first > verses)
        m_markedVerses = {0, 0};
    else
        m_markedVerses = {first, qMin(last, verses)};
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
        const QPalette palette = RxRichEdit1->palette();
        QTextEdit::ExtraSelection band;
        band.format.setBackground(blended(palette.color(QPalette::Base),
                                          palette.color(QPalette::Active, QPalette::Highlight),
                                          kBandStrength));
        band.format.setProperty(QTextFormat::FullWidthSelection, true);
        // A full-width selection over a verse's paragraph bands every line
        // of it, edge to edge.
        for (int verse = m_markedVerses.first; verse <= m_markedVerses.second; ++verse) {
            const QTextBlock block =
                RxRichEdit1->document()->findBlock(VerseStarts[std::size_t(verse - 1)]);
            if (!block.isValid())
                continue;
            band.cursor = QTextCursor(block);
            band.cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
            selections.append(band);
        }
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
