#include "search/keywordmatcher.h"

#include "search/searchstatement.h"

#include <cstring>

namespace {

constexpr std::size_t kNone = std::string::npos;

bool isAsciiLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// One character, as the search reads it: a lead byte from 0xC0 up takes the
// continuation bytes after it, any other byte stands alone.
std::size_t nextCharacter(QByteArrayView s, std::size_t i)
{
    if (static_cast<unsigned char>(s[qsizetype(i++)]) >= 0xC0) {
        while (i < std::size_t(s.size()) &&
               (static_cast<unsigned char>(s[qsizetype(i)]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

bool decodedIsLetter(const char *bytes, qsizetype size)
{
    const QString c = QString::fromUtf8(bytes, size);
    if (c.isEmpty())
        return false;
    if (c.size() > 1 && c.at(0).isHighSurrogate() && c.at(1).isLowSurrogate())
        return QChar::isLetter(QChar::surrogateToUcs4(c.at(0), c.at(1)));
    return c.at(0).isLetter();
}

void foldAscii(QByteArray &bytes)
{
    for (char &c : bytes) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
}

} // namespace

KeywordMatcher::KeywordMatcher(const QString &keyword, bool matchCase, bool wholeWords)
    : m_matchCase(matchCase), m_wholeWords(wholeWords)
{
    QByteArray bytes = keyword.toUtf8();
    if (!matchCase)
        foldAscii(bytes);
    // A run of "%" means what one "%" means; collapsed, a keyword of many
    // thousand "%" costs what one costs.
    std::string piece;
    const auto endPiece = [this, &piece] {
        Piece p;
        p.bytes = piece;
        const std::size_t underscore = piece.find('_');
        p.hasUnderscore = underscore != kNone;
        p.lead = piece.substr(0, underscore);
        p.minimumSize = piece.size();
        m_minimumSize += p.minimumSize;
        std::size_t begin = 0;
        while (begin <= piece.size()) {
            std::size_t end = piece.find('_', begin);
            if (end == kNone)
                end = piece.size();
            if (end - begin > m_probe.size())
                m_probe = piece.substr(begin, end - begin);
            begin = end + 1;
        }
        m_pieces.push_back(std::move(p));
        piece.clear();
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) != '%') {
            piece += bytes.at(i);
            continue;
        }
        endPiece();
        while (i + 1 < bytes.size() && bytes.at(i + 1) == '%')
            ++i;
    }
    endPiece();
}

std::size_t KeywordMatcher::matchAt(const Piece &piece, QByteArrayView s, std::size_t at)
{
    const std::size_t size = std::size_t(s.size());
    if (!piece.hasUnderscore)
        return size - at >= piece.bytes.size() &&
                       std::memcmp(s.data() + at, piece.bytes.data(), piece.bytes.size()) == 0
                   ? at + piece.bytes.size()
                   : kNone;
    for (const char p : piece.bytes) {
        if (at >= size)
            return kNone;
        if (p == '_')
            at = nextCharacter(s, at);
        else if (s[qsizetype(at++)] != p)
            return kNone;
    }
    return at;
}

std::size_t KeywordMatcher::candidate(const Piece &piece, QByteArrayView s, std::size_t from)
{
    const std::size_t size = std::size_t(s.size());
    if (from > size)
        return kNone;
    if (piece.lead.empty())
        return from;
    if (size - from < piece.lead.size())
        return kNone;
    const void *found = memmem(s.data() + from, size - from, piece.lead.data(), piece.lead.size());
    return found ? std::size_t(static_cast<const char *>(found) - s.data()) : kNone;
}

bool KeywordMatcher::letterBefore(QByteArrayView s, std::size_t at) const
{
    if (at == 0)
        return false;
    const auto c = static_cast<unsigned char>(s[qsizetype(at - 1)]);
    if (c < 0x80)
        return isAsciiLetter(c);
    std::size_t lead = at - 1;
    while (lead > 0 && at - lead < 4 &&
           (static_cast<unsigned char>(s[qsizetype(lead)]) & 0xC0) == 0x80)
        --lead;
    return decodedIsLetter(s.data() + lead, qsizetype(at - lead));
}

bool KeywordMatcher::letterAt(QByteArrayView s, std::size_t at) const
{
    if (at >= std::size_t(s.size()))
        return false;
    const auto c = static_cast<unsigned char>(s[qsizetype(at)]);
    if (c < 0x80)
        return isAsciiLetter(c);
    return decodedIsLetter(s.data() + at, qsizetype(nextCharacter(s, at) - at));
}

// The leftmost match starting at or after from. The first piece is taken at
// its leftmost place (with a word's start there, for whole words) and every
// middle piece at its leftmost place after the one before: starting later
// never leaves more room for what follows. Only the last piece is tried at
// each of its places until one ends a word.
QPair<int, int> KeywordMatcher::find(QByteArrayView text, std::size_t from) const
{
    const QPair<int, int> none{-1, -1};
    if (std::size_t(text.size()) < m_minimumSize || m_pieces.empty())
        return none;
    const std::size_t size = std::size_t(text.size());
    const std::size_t last = m_pieces.size() - 1;
    const auto advance = [&text, size](const Piece &piece, std::size_t at) {
        if (at >= size)
            return size + 1;
        return piece.lead.empty() ? nextCharacter(text, at) : at + 1;
    };

    // The first piece, with a word's start before it.
    const Piece &first = m_pieces.front();
    std::size_t start = kNone, end = kNone;
    for (std::size_t at = candidate(first, text, from); at != kNone;
         at = candidate(first, text, advance(first, at))) {
        const std::size_t e = matchAt(first, text, at);
        if (e == kNone || (m_wholeWords && letterBefore(text, at)))
            continue;
        if (last == 0 && m_wholeWords && letterAt(text, e))
            continue;
        start = at;
        end = e;
        break;
    }
    if (start == kNone)
        return none;
    if (last == 0)
        return {int(start), int(end)};

    for (std::size_t k = 1; k < last; ++k) {
        const Piece &piece = m_pieces[k];
        std::size_t found = kNone;
        for (std::size_t at = candidate(piece, text, end); at != kNone;
             at = candidate(piece, text, advance(piece, at))) {
            found = matchAt(piece, text, at);
            if (found != kNone)
                break;
        }
        if (found == kNone)
            return none;
        end = found;
    }

    // The last piece, with a word's end after it.
    const Piece &tail = m_pieces[last];
    for (std::size_t at = candidate(tail, text, end); at != kNone;
         at = candidate(tail, text, advance(tail, at))) {
        const std::size_t e = matchAt(tail, text, at);
        if (e != kNone && !(m_wholeWords && letterAt(text, e)))
            return {int(start), int(e)};
    }
    return none;
}

bool KeywordMatcher::matches(QByteArrayView text) const
{
    // The common keyword, a plain run of bytes anywhere: one substring search.
    if (!m_wholeWords && m_pieces.size() == 1 && !m_pieces.front().hasUnderscore)
        return memmem(text.data(), std::size_t(text.size()), m_probe.data(), m_probe.size()) ||
               m_probe.empty();
    return find(text, 0).first >= 0;
}

QPair<int, int> KeywordMatcher::nextMatch(QByteArrayView text, int from) const
{
    return find(text, std::size_t(qMax(0, from)));
}

QVector<QPair<int, int>> KeywordMatcher::spans(const QString &text, const QStringList &keywords,
                                               bool matchCase, bool wholeWords)
{
    QByteArray bytes = text.toUtf8();
    if (!matchCase)
        foldAscii(bytes);
    // Where each byte's character starts in the text as shown.
    QVector<int> unit(bytes.size() + 1, 0);
    int units = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        unit[i] = units;
        const auto c = static_cast<unsigned char>(bytes.at(i));
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;
    }
    unit[bytes.size()] = units;

    QVector<bool> marked(text.size() + 1, false);
    bool any = false;
    for (const QString &keyword : keywords) {
        if (SearchStatement::isBlankKeyword(keyword))
            continue;
        const KeywordMatcher matcher(keyword, matchCase, wholeWords);
        std::size_t from = 0;
        while (from <= std::size_t(bytes.size())) {
            const QPair<int, int> match = matcher.find(bytes, from);
            if (match.first < 0)
                break;
            for (int i = unit[match.first]; i < unit[match.second] && i < text.size(); ++i)
                marked[i] = any = true;
            from = match.second > match.first ? std::size_t(match.second)
                                              : std::size_t(match.first) + 1;
        }
    }
    QVector<QPair<int, int>> result;
    if (!any)
        return result;
    for (int i = 0; i < text.size(); ++i) {
        if (!marked[i])
            continue;
        int end = i;
        while (end < text.size() && marked[end])
            ++end;
        result.append({i, end});
        i = end;
    }
    return result;
}
