#include "scripture/fastlike.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

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
        // The C library's substring search, not a byte-by-byte loop: this is
        // where a whole-text search spends its time.
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

// A pattern taken apart once per statement, at its "%"s. Each piece after
// the first is placed leftmost after the one before (the "%" between them
// absorbs whatever lies in between), so a match costs at most the subject's
// length times the pattern's, never the exponential backtracking of a naive
// matcher.
struct Pattern
{
    std::string text;
    std::vector<Piece> pieces; // one more than the "%"s

    explicit Pattern(std::string_view pattern) : text(pattern)
    {
        std::size_t from = 0;
        for (;;) {
            const std::size_t percent = pattern.find('%', from);
            pieces.emplace_back(pattern.substr(from, percent - from));
            if (percent == std::string_view::npos)
                break;
            from = percent + 1;
        }
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

// SQLite reads both texts up to their first NUL.
std::string_view upToNul(const char *text, std::size_t size)
{
    const void *nul = std::memchr(text, 0, size);
    return std::string_view(text, nul ? std::size_t(static_cast<const char *>(nul) - text) : size);
}

void deletePattern(void *data)
{
    delete static_cast<Pattern *>(data);
}

void likeFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    // The same guard as SQLite's own LIKE against patterns built to be slow.
    sqlite3 *db = sqlite3_context_db_handle(context);
    if (sqlite3_value_bytes(argv[0]) > sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    const auto *patternData = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int patternSize = sqlite3_value_bytes(argv[0]);
    const auto *subjectData = reinterpret_cast<const char *>(sqlite3_value_text(argv[1]));
    const int subjectSize = sqlite3_value_bytes(argv[1]);
    if (!patternData || !subjectData)
        return; // NULL, as SQLite's own LIKE gives
    const std::string_view patternText = upToNul(patternData, std::size_t(patternSize));
    const std::string_view subject = upToNul(subjectData, std::size_t(subjectSize));

    auto *cached = static_cast<Pattern *>(sqlite3_get_auxdata(context, 0));
    if (cached && cached->text == patternText) {
        sqlite3_result_int(context, cached->matches(subject) ? 1 : 0);
        return;
    }
    auto pattern = std::make_unique<Pattern>(patternText);
    sqlite3_result_int(context, pattern->matches(subject) ? 1 : 0);
    // SQLite may drop the data at once when the pattern is not a constant.
    sqlite3_set_auxdata(context, 0, pattern.release(), deletePattern);
}

} // namespace

bool FastLike::install(const QSqlDatabase &db)
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
                                      nullptr) == SQLITE_OK;
}

bool FastLike::matches(const char *pattern, int patternSize, const char *text, int textSize)
{
    const Pattern compiled(upToNul(pattern, std::size_t(patternSize)));
    return compiled.matches(upToNul(text, std::size_t(textSize)));
}
