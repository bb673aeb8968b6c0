#include "scripture/fastlike.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(Q_OS_UNIX)
#include <dlfcn.h>
#endif

namespace {

// SQLite's C interface, reached at run time: the driver does not export it
// and the headers need not be installed. Handles are opaque here.
using Function = void (*)(void *context, int argc, void **argv);
using Step = void (*)(void *context, int argc, void **argv);
using Final = void (*)(void *context);
using Destructor = void (*)(void *);

struct Api
{
    int (*createFunction)(void *db, const char *name, int nArg, int textRep, void *app,
                          Function function, Step step, Final final) = nullptr;
    const unsigned char *(*valueText)(void *value) = nullptr;
    int (*valueBytes)(void *value) = nullptr;
    void (*resultInt)(void *context, int result) = nullptr;
    void *(*getAuxdata)(void *context, int argument) = nullptr;
    void (*setAuxdata)(void *context, int argument, void *data, Destructor destructor) = nullptr;

    bool complete() const
    {
        return createFunction && valueText && valueBytes && resultInt && getAuxdata && setAuxdata;
    }
};

const int kUtf8 = 1;              // SQLITE_UTF8
const int kDeterministic = 0x800; // SQLITE_DETERMINISTIC

const Api &api()
{
    static const Api resolved = [] {
        Api a;
#if defined(Q_OS_UNIX)
        // Only the library the driver already uses: a second copy of SQLite
        // must never be handed this connection's handle.
        void *library = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
        if (!library)
            return a;
        const auto symbol = [library](const char *name) { return dlsym(library, name); };
        a.createFunction =
            reinterpret_cast<decltype(a.createFunction)>(symbol("sqlite3_create_function"));
        a.valueText = reinterpret_cast<decltype(a.valueText)>(symbol("sqlite3_value_text"));
        a.valueBytes = reinterpret_cast<decltype(a.valueBytes)>(symbol("sqlite3_value_bytes"));
        a.resultInt = reinterpret_cast<decltype(a.resultInt)>(symbol("sqlite3_result_int"));
        a.getAuxdata = reinterpret_cast<decltype(a.getAuxdata)>(symbol("sqlite3_get_auxdata"));
        a.setAuxdata = reinterpret_cast<decltype(a.setAuxdata)>(symbol("sqlite3_set_auxdata"));
        dlclose(library); // the driver keeps it loaded
#endif
        return a;
    }();
    return resolved;
}

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

void likeFunction(void *context, int, void **argv)
{
    const Api &a = api();
    const auto *patternText = reinterpret_cast<const char *>(a.valueText(argv[0]));
    const int patternSize = a.valueBytes(argv[0]);
    const auto *subjectText = reinterpret_cast<const char *>(a.valueText(argv[1]));
    const int subjectSize = a.valueBytes(argv[1]);
    if (!patternText || !subjectText)
        return; // NULL, as SQLite's own LIKE gives
    const std::string_view patternView = upToNul(patternText, std::size_t(patternSize));
    const std::string_view subject = upToNul(subjectText, std::size_t(subjectSize));

    auto *cached = static_cast<Pattern *>(a.getAuxdata(context, 0));
    if (cached && cached->text == patternView) {
        a.resultInt(context, cached->matches(subject) ? 1 : 0);
        return;
    }
    auto pattern = std::make_unique<Pattern>(patternView);
    a.resultInt(context, pattern->matches(subject) ? 1 : 0);
    // SQLite may drop the data at once when the pattern is not a constant.
    a.setAuxdata(context, 0, pattern.release(), deletePattern);
}

} // namespace

bool FastLike::install(const QSqlDatabase &db)
{
    const Api &a = api();
    if (!a.complete() || !db.driver())
        return false;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    void *connection = *static_cast<void *const *>(handle.constData());
    if (!connection)
        return false;
    return a.createFunction(connection, "like", 2, kUtf8 | kDeterministic, nullptr, likeFunction,
                            nullptr, nullptr) == 0;
}

bool FastLike::matches(const char *pattern, int patternSize, const char *text, int textSize)
{
    const Pattern compiled(upToNul(pattern, std::size_t(patternSize)));
    return compiled.matches(upToNul(text, std::size_t(textSize)));
}
