#include "search/versescan.h"

#include "search/keywordmatcher.h"
#include "search/searchstatement.h"
#include "search/versetexts.h"

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

// The bytes to seek a probe by: its tail from its rarest pair of bytes, so
// that a probe opening with a common pair ("th" of "three") does not stop
// the search at every word. Returns the offset of that tail.
std::size_t rarestTail(const VerseTexts &texts, const std::string &probe, quint32 *count)
{
    *count = std::numeric_limits<quint32>::max();
    if (probe.size() < 2) {
        *count = probe.empty() ? *count : std::numeric_limits<quint32>::max() / 2;
        return 0;
    }
    std::size_t best = 0;
    for (std::size_t i = 0; i + 1 < probe.size(); ++i) {
        const quint32 n = texts.pairCount(static_cast<unsigned char>(probe[i]),
                                          static_cast<unsigned char>(probe[i + 1]));
        if (n < *count) {
            *count = n;
            best = i;
        }
    }
    return best;
}

// Calls found(verse) for every verse of the scope that holds the keyword.
template <typename Found>
void scan(const VerseTexts &texts, const KeywordMatcher &matcher, const SearchOptions &options,
          Found &&found)
{
    const bool folded = !matcher.matchCase();
    const int begin = texts.firstVerseOf(options.firstBook);
    const int end = texts.firstVerseOf(options.lastBook + 1);
    const std::string &probe = matcher.probe();
    // A probe holding a NUL would stop at the first; no verse holds one.
    if (probe.empty() || std::memchr(probe.data(), 0, probe.size())) {
        for (int verse = begin; verse < end; ++verse) {
            if (matcher.matches(texts.text(verse, folded)))
                found(verse);
        }
        return;
    }
    quint32 count = 0;
    const char *needle = probe.c_str() + rarestTail(texts, probe, &count);
    const char *block = texts.block(folded);
    // Each book ends with a NUL: one substring search runs to a book's end.
    for (int book = options.firstBook; book <= options.lastBook; ++book) {
        const int bookEnd = texts.firstVerseOf(book + 1);
        int verse = texts.firstVerseOf(book);
        while (verse < bookEnd) {
            const char *hit = std::strstr(block + texts.start(verse), needle);
            if (!hit)
                break;
            verse = texts.verseAt(int(hit - block));
            if (verse >= bookEnd)
                break;
            if (matcher.matches(texts.text(verse, folded)))
                found(verse);
            ++verse;
        }
    }
}

quint32 estimate(const VerseTexts &texts, const KeywordMatcher &matcher)
{
    quint32 count = 0;
    rarestTail(texts, matcher.probe(), &count);
    return count;
}

} // namespace

QVector<int> VerseScan::findVerses(const VerseTexts &texts, const QStringList &keywords,
                                   const SearchOptions &options)
{
    std::vector<std::unique_ptr<KeywordMatcher>> matchers;
    for (const QString &keyword : keywords) {
        if (!SearchStatement::isBlankKeyword(keyword))
            matchers.push_back(
                std::make_unique<KeywordMatcher>(keyword, options.matchCase, options.wholeWords));
    }
    QVector<int> verses;
    if (matchers.empty() || options.firstBook > options.lastBook)
        return verses;

    if (options.all) {
        // The rarest keyword finds the candidates; the others are matched in
        // those verses only.
        std::size_t driver = 0;
        for (std::size_t i = 1; i < matchers.size(); ++i) {
            if (estimate(texts, *matchers[i]) < estimate(texts, *matchers[driver]))
                driver = i;
        }
        const bool folded = !options.matchCase;
        scan(texts, *matchers[driver], options, [&](int verse) {
            for (std::size_t i = 0; i < matchers.size(); ++i) {
                if (i != driver && !matchers[i]->matches(texts.text(verse, folded)))
                    return;
            }
            verses.append(verse);
        });
        return verses;
    }

    std::vector<char> marked(std::size_t(texts.size()), 0);
    int first = texts.size(), last = -1;
    for (const auto &matcher : matchers) {
        scan(texts, *matcher, options, [&](int verse) {
            marked[std::size_t(verse)] = 1;
            first = qMin(first, verse);
            last = qMax(last, verse);
        });
    }
    for (int verse = first; verse <= last; ++verse) {
        if (marked[std::size_t(verse)])
            verses.append(verse);
    }
    return verses;
}
