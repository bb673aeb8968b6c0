#include "search/versescan.h"

#include "search/keywordmatcher.h"
#include "search/searchstatement.h"
#include "search/versetexts.h"

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

unsigned char folded(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// The offset in the probe of its rarest pair of bytes, where the search
// starts, so that a probe opening with a common pair ("th" of "three") does
// not stop it at every word; count is how often that pair stands in the text.
std::size_t rarestPair(const VerseTexts &texts, const std::string &probe, quint32 *count)
{
    *count = std::numeric_limits<quint32>::max();
    if (probe.size() < 2) {
        if (!probe.empty())
            *count = std::numeric_limits<quint32>::max() / 2;
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

#if defined(__x86_64__)
// As findFoldedPair, thirty-two places at once.
__attribute__((target("avx2"))) const char *findFoldedPairWide(const char *s, unsigned char a,
                                                               unsigned char b)
{
    const __m256i wantA = _mm256_set1_epi8(char(a));
    const __m256i wantB = _mm256_set1_epi8(char(b));
    const __m256i beforeA = _mm256_set1_epi8('A' - 1);
    const __m256i afterZ = _mm256_set1_epi8('Z' + 1);
    const __m256i caseBit = _mm256_set1_epi8(0x20);
    const __m256i zero = _mm256_setzero_si256();
    // The block is followed by enough NULs for a read of 33 bytes anywhere.
    for (;; s += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + 1));
        // Capitals gain the case bit; a lambda would not share this
        // function's instruction set.
        const __m256i xFolded =
            _mm256_or_si256(x, _mm256_and_si256(_mm256_and_si256(_mm256_cmpgt_epi8(x, beforeA),
                                                                 _mm256_cmpgt_epi8(afterZ, x)),
                                                caseBit));
        const __m256i yFolded =
            _mm256_or_si256(y, _mm256_and_si256(_mm256_and_si256(_mm256_cmpgt_epi8(y, beforeA),
                                                                 _mm256_cmpgt_epi8(afterZ, y)),
                                                caseBit));
        const auto pairs = unsigned(_mm256_movemask_epi8(_mm256_and_si256(
            _mm256_cmpeq_epi8(xFolded, wantA), _mm256_cmpeq_epi8(yFolded, wantB))));
        const auto ends = unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(x, zero)));
        if (ends) {
            const unsigned before = (ends & (0u - ends)) - 1; // places before the NUL
            return (pairs & before) ? s + __builtin_ctz(pairs & before) : nullptr;
        }
        if (pairs)
            return s + __builtin_ctz(pairs);
    }
}
#endif

// The first place at or after s, before the NUL that ends s, where the
// bytes a and b (small letters) stand together in any case; nullptr when
// there is none. Sixteen or thirty-two places are tested at once where the
// processor can.
const char *findFoldedPair(const char *s, unsigned char a, unsigned char b)
{
#if defined(__x86_64__)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide)
        return findFoldedPairWide(s, a, b);
    const __m128i wantA = _mm_set1_epi8(char(a));
    const __m128i wantB = _mm_set1_epi8(char(b));
    const __m128i beforeA = _mm_set1_epi8('A' - 1);
    const __m128i afterZ = _mm_set1_epi8('Z' + 1);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i zero = _mm_setzero_si128();
    const auto fold = [&](__m128i x) {
        const __m128i capital =
            _mm_and_si128(_mm_cmpgt_epi8(x, beforeA), _mm_cmplt_epi8(x, afterZ));
        return _mm_or_si128(x, _mm_and_si128(capital, caseBit));
    };
    // The block is followed by enough NULs for a read of 17 bytes anywhere.
    for (;; s += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 1));
        const unsigned pairs = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(fold(x), wantA), _mm_cmpeq_epi8(fold(y), wantB))));
        const unsigned ends = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(x, zero)));
        if (ends) {
            const unsigned before = (ends & (0u - ends)) - 1; // places before the NUL
            return (pairs & before) ? s + __builtin_ctz(pairs & before) : nullptr;
        }
        if (pairs)
            return s + __builtin_ctz(pairs);
    }
#else
    for (; *s; ++s) {
        if (folded(static_cast<unsigned char>(s[0])) == a &&
            folded(static_cast<unsigned char>(s[1])) == b)
            return s;
    }
    return nullptr;
#endif
}

bool foldedEquals(const char *s, const std::string &probe)
{
    for (std::size_t i = 0; i < probe.size(); ++i) {
        if (folded(static_cast<unsigned char>(s[i])) != static_cast<unsigned char>(probe[i]))
            return false;
    }
    return true;
}

// The text of a verse as a keyword is matched against it: as stored, or
// with its ASCII letters in small letters, folded once per verse.
class VerseView
{
public:
    VerseView(const VerseTexts &texts, bool fold) : m_texts(texts), m_fold(fold) {}
    QByteArrayView operator()(int verse)
    {
        const QByteArrayView text = m_texts.text(verse);
        if (!m_fold)
            return text;
        if (verse != m_verse) {
            m_verse = verse;
            m_folded.assign(text.data(), std::size_t(text.size()));
            for (char &c : m_folded)
                c = char(folded(static_cast<unsigned char>(c)));
        }
        return QByteArrayView(m_folded.data(), qsizetype(m_folded.size()));
    }

private:
    const VerseTexts &m_texts;
    bool m_fold;
    int m_verse = -1;
    std::string m_folded;
};

// Calls found(verse) for every verse of the scope that holds the keyword.
template <typename Found>
void scan(const VerseTexts &texts, const KeywordMatcher &matcher, const SearchOptions &options,
          VerseView &view, Found &&found)
{
    const int begin = texts.firstVerseOf(options.firstBook);
    const int end = texts.firstVerseOf(options.lastBook + 1);
    const std::string &probe = matcher.probe();
    // A probe holding a NUL would stop at the NUL; no verse holds one.
    if (probe.empty() || std::memchr(probe.data(), 0, probe.size())) {
        for (int verse = begin; verse < end; ++verse) {
            if (matcher.matches(view(verse)))
                found(verse);
        }
        return;
    }
    quint32 count = 0;
    const std::size_t from = rarestPair(texts, probe, &count);
    const char *block = texts.block();
    const bool fold = !matcher.matchCase();
    const bool plain = matcher.isPlainRun();
    const auto pair = [&](const char *s) -> const char * {
        if (!fold)
            return std::strstr(s, probe.c_str() + from);
        if (probe.size() < 2) {
            const auto a = static_cast<unsigned char>(probe[0]);
            for (; *s; ++s) {
                if (folded(static_cast<unsigned char>(*s)) == a)
                    return s;
            }
            return nullptr;
        }
        return findFoldedPair(s, static_cast<unsigned char>(probe[from]),
                              static_cast<unsigned char>(probe[from + 1]));
    };
    // Each book ends with a NUL: one search runs to a book's end.
    for (int book = options.firstBook; book <= options.lastBook; ++book) {
        const int bookEnd = texts.firstVerseOf(book + 1);
        const int bookBegin = texts.firstVerseOf(book);
        if (bookBegin >= bookEnd)
            continue;
        const char *position = block + texts.start(bookBegin);
        int verse = bookBegin;
        while (const char *hit = pair(position)) {
            verse = texts.verseAt(int(hit - block), verse);
            const char *head = hit - from;
            const char *verseStart = block + texts.start(verse);
            // The whole probe must stand there, inside the verse, before the
            // verse is matched in full.
            if (head < verseStart ||
                (fold ? !foldedEquals(head, probe) : std::memcmp(head, probe.data(), from) != 0)) {
                position = hit + 1;
                continue;
            }
            if (plain) {
                // The keyword itself stands here: only a word's edges are
                // left to see.
                const auto at = std::size_t(head - verseStart);
                if (!matcher.standsAlone(texts.text(verse), at, at + probe.size())) {
                    position = hit + 1;
                    continue;
                }
                found(verse);
            } else if (matcher.matches(view(verse))) {
                found(verse);
            }
            if (verse + 1 >= bookEnd)
                break;
            position = block + texts.start(verse + 1);
        }
    }
}

quint32 estimate(const VerseTexts &texts, const KeywordMatcher &matcher)
{
    quint32 count = 0;
    rarestPair(texts, matcher.probe(), &count);
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
    VerseView view(texts, !options.matchCase);

    if (options.all) {
        // The rarest keyword finds the candidates; the others are matched in
        // those verses only.
        std::size_t driver = 0;
        for (std::size_t i = 1; i < matchers.size(); ++i) {
            if (estimate(texts, *matchers[i]) < estimate(texts, *matchers[driver]))
                driver = i;
        }
        scan(texts, *matchers[driver], options, view, [&](int verse) {
            for (std::size_t i = 0; i < matchers.size(); ++i) {
                if (i != driver && !matchers[i]->matches(view(verse)))
                    return;
            }
            verses.append(verse);
        });
        return verses;
    }

    std::vector<char> marked(std::size_t(texts.size()), 0);
    int first = texts.size(), last = -1;
    for (const auto &matcher : matchers) {
        scan(texts, *matcher, options, view, [&](int verse) {
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
