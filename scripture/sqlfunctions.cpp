#include "scripture/sqlfunctions.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <sqlite3.h>

namespace {

// One character of the subject, read as SQLite reads it: a lead byte from
// 0xC0 up takes the continuation bytes after it, any other byte stands alone.
std::size_t nextCharacter(std::string_view s, std::size_t i)
{
    if (static_cast<unsigned char>(s[i++]) >= 0xC0) {
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

const std::size_t kNoMatch = std::string_view::npos;

// SQLite's LIKE compares characters, not bytes: it reads each one as its
// sqlite3Utf8Read does (a lead byte from 0xC0 takes every continuation byte
// after it; an overlong form, a surrogate or U+FFFE/U+FFFF reads as U+FFFD;
// any other byte is its own value) and compares the values. On valid UTF-8
// that is byte comparison; a damaged text is matched on the values.
char32_t readCharacter(const unsigned char *&s)
{
    static const unsigned char kLeadValue[] = {
        0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c,
        0x0d, 0x0e, 0x0f, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
        0x1a, 0x1b, 0x1c, 0x1d, 0x1e, 0x1f, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06,
        0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x00, 0x01, 0x02, 0x03,
        0x04, 0x05, 0x06, 0x07, 0x00, 0x01, 0x02, 0x03, 0x00, 0x01, 0x00, 0x00};
    char32_t c = *s++;
    if (c < 0xC0)
        return c;
    c = kLeadValue[c - 0xC0];
    while ((*s & 0xC0) == 0x80)
        c = (c << 6) + (0x3F & *s++);
    if (c < 0x80 || (c & 0xFFFFF800) == 0xD800 || (c & 0xFFFFFFFE) == 0xFFFE)
        c = 0xFFFD;
    return c;
}

// Is every character of the NUL-terminated text written in its one proper
// UTF-8 form, so that comparing bytes is comparing characters?
bool isProperUtf8(const char *text)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *end = s + std::strlen(text);
    while (s < end) {
        // Plain ASCII, the whole of a sound text, eight bytes at a time.
        std::uint64_t word;
        while (end - s >= std::ptrdiff_t(sizeof word)) {
            std::memcpy(&word, s, sizeof word);
            if (word & 0x8080808080808080ULL)
                break;
            s += sizeof word;
        }
        if (s == end)
            break;
        if (*s < 0x80) {
            ++s;
            continue;
        }
        const unsigned char *start = s;
        const char32_t c = readCharacter(s);
        // The one proper form of the value read, byte for byte.
        unsigned char proper[4];
        std::ptrdiff_t length = 0;
        if (c < 0x80 || c > 0x10FFFF) {
            return false;
        } else if (c < 0x800) {
            proper[length++] = static_cast<unsigned char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            proper[length++] = static_cast<unsigned char>(0xE0 | (c >> 12));
            proper[length++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            proper[length++] = static_cast<unsigned char>(0xF0 | (c >> 18));
            proper[length++] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            proper[length++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        }
        proper[length++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        if (s - start != length || std::memcmp(start, proper, std::size_t(length)) != 0)
            return false;
    }
    return true;
}

std::u32string characters(const char *text)
{
    std::u32string result;
    for (const auto *s = reinterpret_cast<const unsigned char *>(text); *s;)
        result.push_back(readCharacter(s));
    return result;
}

// The matcher on character values, for a pattern or subject that is not
// proper UTF-8: pieces between "%"s placed leftmost, "_" one character.
bool matchesCharacters(const char *patternText, const char *subjectText)
{
    const std::u32string pattern = characters(patternText);
    const std::u32string subject = characters(subjectText);
    std::vector<std::u32string> pieces(1);
    for (const char32_t c : pattern) {
        if (c == U'%')
            pieces.emplace_back();
        else
            pieces.back().push_back(c);
    }
    const auto matchAt = [&subject](const std::u32string &piece, std::size_t at) {
        if (at > subject.size() || subject.size() - at < piece.size())
            return false;
        for (std::size_t k = 0; k < piece.size(); ++k) {
            if (piece[k] != U'_' && piece[k] != subject[at + k])
                return false;
        }
        return true;
    };
    if (pieces.size() == 1)
        return pieces.front().size() == subject.size() && matchAt(pieces.front(), 0);
    if (!matchAt(pieces.front(), 0))
        return false;
    std::size_t position = pieces.front().size();
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        const std::u32string &piece = pieces[i];
        while (!matchAt(piece, position)) {
            if (position >= subject.size())
                return false;
            ++position;
        }
        position += piece.size();
    }
    const std::u32string &last = pieces.back();
    return subject.size() >= position + last.size() && matchAt(last, subject.size() - last.size());
}

// The text between two "%"s: literal bytes, with "_" for one character. It
// always matches the same number of characters, which is what lets a match
// take each piece at its leftmost place and never come back to it.
struct Piece
{
    std::string text;
    std::string lead; // the literal bytes before the first "_"
    bool hasUnderscore = false;

    explicit Piece(std::string_view piece) : text(piece)
    {
        const std::size_t underscore = piece.find('_');
        hasUnderscore = underscore != std::string_view::npos;
        lead = std::string(piece.substr(0, underscore));
    }

    // Where the piece ends when it starts at i, or kNoMatch.
    std::size_t matchAt(std::string_view s, std::size_t i) const
    {
        if (!hasUnderscore)
            return s.size() - i >= text.size() &&
                           std::memcmp(s.data() + i, text.data(), text.size()) == 0
                       ? i + text.size()
                       : kNoMatch;
        for (const char p : text) {
            if (i >= s.size())
                return kNoMatch;
            if (p == '_')
                i = nextCharacter(s, i);
            else if (s[i++] != p)
                return kNoMatch;
        }
        return i;
    }

    // The end of the leftmost match starting at or after i, or kNoMatch.
    std::size_t findFrom(std::string_view s, std::size_t i) const
    {
        if (lead.empty()) {
            for (;;) {
                const std::size_t end = matchAt(s, i);
                if (end != kNoMatch)
                    return end;
                if (i >= s.size())
                    return kNoMatch;
                i = nextCharacter(s, i);
            }
        }
        while (i + lead.size() <= s.size()) {
            const void *found = memmem(s.data() + i, s.size() - i, lead.data(), lead.size());
            if (!found)
                return kNoMatch;
            const std::size_t at = std::size_t(static_cast<const char *>(found) - s.data());
            const std::size_t end = matchAt(s, at);
            if (end != kNoMatch)
                return end;
            i = at + 1;
        }
        return kNoMatch;
    }

    // Does the piece end the subject, starting at or after i?
    bool endsFrom(std::string_view s, std::size_t i) const
    {
        if (!hasUnderscore)
            return s.size() - i >= text.size() &&
                   std::memcmp(s.data() + s.size() - text.size(), text.data(), text.size()) == 0;
        for (;;) {
            if (matchAt(s, i) == s.size())
                return true;
            if (i >= s.size())
                return false;
            i = nextCharacter(s, i);
        }
    }
};

// A literal run between two "%"s, found in a NUL-terminated subject by the C
// library's substring search, which tests many places at once for the first
// two bytes of what it seeks. The search starts at the run's rarest pair of
// bytes, so that common openings such as "th" do not stop it at every word;
// the bytes before that pair are compared at each place it finds.
struct Run
{
    std::string text;
    std::size_t from = 0; // where the searched tail begins

    explicit Run(std::string run) : text(std::move(run))
    {
        int rarest = INT_MAX;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            const int pair = commonness(text[i]) + commonness(text[i + 1]);
            if (pair < rarest) {
                rarest = pair;
                from = i;
            }
        }
    }

    // Rough frequency of a byte in the verse text: space and small letters
    // by how often the King James text uses them, everything else rarer.
    static int commonness(char byte)
    {
        static const char kByFrequency[] = " ethaonsirdlufmwycgbpvkjzxq";
        const char *at = byte ? std::strchr(kByFrequency, byte) : nullptr;
        return at ? int(sizeof kByFrequency) - int(at - kByFrequency) : 0;
    }

    // Just past the first occurrence at or after start, or nullptr.
    const char *findIn(const char *start) const
    {
        if (from == 0) {
            const char *hit = std::strstr(start, text.c_str());
            return hit ? hit + text.size() : nullptr;
        }
        // The tail is sought from the subject's byte from onwards: a shorter
        // subject ends before that byte and holds no match.
        for (std::size_t i = 0; i < from; ++i) {
            if (start[i] == '\0')
                return nullptr;
        }
        const char *tail = text.c_str() + from;
        for (const char *hit = std::strstr(start + from, tail); hit;
             hit = std::strstr(hit + 1, tail)) {
            if (std::equal(text.data(), tail, hit - from))
                return hit - from + text.size();
        }
        return nullptr;
    }
};

// A pattern taken apart once per statement, at its "%"s. Each piece after
// the first is placed leftmost after the one before (the "%" between them
// absorbs whatever lies in between), so a match costs at most the subject's
// length times the pattern's, never the exponential backtracking of a naive
// matcher.
struct Pattern
{
    std::vector<Piece> pieces; // one more than the "%"s

    // Patterns of the search's kind, "%" first and last with only literal
    // text between: each run is found in turn, and nothing needs the
    // subject's length.
    bool floating = false;
    std::vector<Run> runs; // a floating pattern's runs, in order

    explicit Pattern(std::string_view pattern)
        : ascii(std::none_of(pattern.begin(), pattern.end(),
                             [](char c) { return static_cast<unsigned char>(c) >= 0x80; })),
          proper(isProperUtf8(std::string(pattern).c_str())), source(pattern)
    {
        std::size_t from = 0;
        for (;;) {
            const std::size_t percent = pattern.find('%', from);
            pieces.emplace_back(pattern.substr(from, percent - from));
            if (percent == std::string_view::npos)
                break;
            from = percent + 1;
        }
        floating = pieces.size() > 1 && pieces.front().text.empty() && pieces.back().text.empty();
        for (const Piece &piece : pieces)
            floating = floating && !piece.hasUnderscore;
        if (floating) {
            for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
                if (!pieces[i].text.empty())
                    runs.emplace_back(pieces[i].text);
            }
        }
    }

    // A pattern of ASCII alone compares only bytes that are whole characters
    // however damaged the subject is (a longer form never reads as ASCII),
    // so only other patterns need the subject checked. One that is not
    // proper UTF-8 itself is always matched on character values.
    bool ascii = true;
    bool proper = true;
    std::string source;

    // The subject ends at its first NUL, as SQLite reads it.
    bool matches(const char *subject) const
    {
        if (!ascii && (!proper || !isProperUtf8(subject)))
            return matchesCharacters(source.c_str(), subject);
        if (!floating)
            return matches(std::string_view(subject));
        for (const Run &run : runs) {
            subject = run.findIn(subject);
            if (!subject)
                return false;
        }
        return true;
    }

    bool matches(std::string_view subject) const
    {
        const Piece &first = pieces.front();
        if (pieces.size() == 1)
            return first.matchAt(subject, 0) == subject.size();
        std::size_t position = first.matchAt(subject, 0);
        if (position == kNoMatch)
            return false;
        for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
            if (pieces[i].text.empty())
                continue;
            position = pieces[i].findFrom(subject, position);
            if (position == kNoMatch)
                return false;
        }
        return pieces.back().endsFrom(subject, position);
    }
};

void deletePattern(void *data)
{
    delete static_cast<Pattern *>(data);
}

void likeFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    // SQLite keeps the data only while the pattern stays the same constant.
    if (const auto *pattern = static_cast<const Pattern *>(sqlite3_get_auxdata(context, 0))) {
        const unsigned char *subject = sqlite3_value_text(argv[1]);
        if (subject)
            sqlite3_result_int(context, pattern->matches(reinterpret_cast<const char *>(subject)));
        return;
    }
    // The same guard as SQLite's own LIKE against patterns built to be slow.
    sqlite3 *db = sqlite3_context_db_handle(context);
    if (sqlite3_value_bytes(argv[0]) > sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    const unsigned char *patternText = sqlite3_value_text(argv[0]);
    const unsigned char *subject = sqlite3_value_text(argv[1]);
    if (!patternText || !subject)
        return; // NULL, as SQLite's own LIKE gives
    auto pattern =
        std::make_unique<Pattern>(std::string_view(reinterpret_cast<const char *>(patternText)));
    sqlite3_result_int(context, pattern->matches(reinterpret_cast<const char *>(subject)));
    sqlite3_set_auxdata(context, 0, pattern.release(), deletePattern);
}

// upper() as SQLite's own: ASCII letters only, NULL stays NULL, anything
// else is read as text. SQLite's own hands back a text without the NUL that
// LIKE reads up to, so LIKE's reading it copied every entry's word once more;
// a result of unknown length is stored with its NUL. Only a text holding a
// NUL of its own is handed back by its length, as SQLite's own does.
void upperFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    const unsigned char *text = sqlite3_value_text(argv[0]);
    if (!text)
        return;
    const std::size_t size = std::size_t(sqlite3_value_bytes(argv[0]));
    thread_local std::vector<char> upper;
    if (upper.size() <= size)
        upper.resize(size + 1);
    char *out = upper.data();
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = text[i];
        out[i] = char(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
    }
    out[size] = '\0';
    const bool holdsNul = std::strlen(reinterpret_cast<const char *>(text)) < size;
    sqlite3_result_text(context, out, holdsNul ? int(size) : -1, SQLITE_TRANSIENT);
}

} // namespace

bool SqlFunctions::install(const QSqlDatabase &db)
{
    if (!db.driver())
        return false;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.constData());
    if (!connection)
        return false;
    return sqlite3_create_function_v2(connection, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                      nullptr, likeFunction, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(
               connection, "upper", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
               nullptr, upperFunction, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool SqlFunctions::matches(const char *pattern, int patternSize, const char *text, int textSize)
{
    // As SQLite hands them over: each text ends at a NUL, and nothing after
    // it may be read.
    std::vector<char> patternText(pattern, pattern + patternSize);
    patternText.push_back('\0');
    std::vector<char> subject(text, text + textSize);
    subject.push_back('\0');
    subject.shrink_to_fit();
    return Pattern(std::string_view(patternText.data())).matches(subject.data());
}
