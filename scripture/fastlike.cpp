#include "scripture/fastlike.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

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

// A pattern taken apart once per statement.
struct Pattern
{
    std::string text;
    bool hasPercent = false;
    bool hasUnderscore = false;
    bool anchoredStart = false;    // no "%" before the first literal run
    bool anchoredEnd = false;      // no "%" after the last literal run
    std::vector<std::string> runs; // the literal runs between the "%"s

    explicit Pattern(std::string_view pattern) : text(pattern)
    {
        hasPercent = pattern.find('%') != std::string_view::npos;
        hasUnderscore = pattern.find('_') != std::string_view::npos;
        anchoredStart = !pattern.empty() && pattern.front() != '%';
        anchoredEnd = !pattern.empty() && pattern.back() != '%';
        std::string run;
        for (const char ch : pattern) {
            if (ch == '%') {
                if (!run.empty())
                    runs.push_back(std::move(run));
                run.clear();
            } else {
                run += ch;
            }
        }
        if (!run.empty())
            runs.push_back(std::move(run));
    }

    // Patterns of literal runs and "%" only: each run is found leftmost in
    // turn, which is exact because "%" absorbs whatever lies between.
    bool matchRuns(std::string_view subject) const
    {
        if (!hasPercent)
            return subject == text;
        std::size_t position = 0;
        std::size_t firstFree = 0;
        std::size_t endFree = runs.size();
        if (anchoredStart) {
            if (subject.substr(0, runs.front().size()) != runs.front())
                return false;
            position = runs.front().size();
            firstFree = 1;
        }
        if (anchoredEnd)
            --endFree;
        for (std::size_t i = firstFree; i < endFree; ++i) {
            const std::size_t found = subject.find(runs[i], position);
            if (found == std::string_view::npos)
                return false;
            position = found + runs[i].size();
        }
        if (anchoredEnd) {
            const std::string &last = runs.back();
            return subject.size() >= position + last.size() &&
                   subject.substr(subject.size() - last.size()) == last;
        }
        return true;
    }
};

const char *nextCharacter(const char *s, const char *end)
{
    ++s;
    while (s < end && (static_cast<unsigned char>(*s) & 0xC0) == 0x80)
        ++s;
    return s;
}

// The general case, with "_" standing for one (UTF-8) character.
bool matchGeneral(const char *p, const char *pEnd, const char *s, const char *sEnd)
{
    while (p < pEnd) {
        if (*p == '%') {
            while (p < pEnd && (*p == '%' || *p == '_')) {
                if (*p == '_') {
                    if (s >= sEnd)
                        return false;
                    s = nextCharacter(s, sEnd);
                }
                ++p;
            }
            if (p == pEnd)
                return true;
            for (;;) {
                if (matchGeneral(p, pEnd, s, sEnd))
                    return true;
                if (s >= sEnd)
                    return false;
                s = nextCharacter(s, sEnd);
            }
        }
        if (s >= sEnd)
            return false;
        if (*p == '_') {
            s = nextCharacter(s, sEnd);
            ++p;
        } else {
            if (*s != *p)
                return false;
            ++s;
            ++p;
        }
    }
    return s == sEnd;
}

bool matchPattern(const Pattern &pattern, std::string_view subject)
{
    if (!pattern.hasUnderscore)
        return pattern.matchRuns(subject);
    const char *p = pattern.text.data();
    return matchGeneral(p, p + pattern.text.size(), subject.data(),
                        subject.data() + subject.size());
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
    const std::string_view patternView(patternText, std::size_t(patternSize));
    const std::string_view subject(subjectText, std::size_t(subjectSize));

    auto *cached = static_cast<Pattern *>(a.getAuxdata(context, 0));
    if (cached && cached->text == patternView) {
        a.resultInt(context, matchPattern(*cached, subject) ? 1 : 0);
        return;
    }
    auto pattern = std::make_unique<Pattern>(patternView);
    a.resultInt(context, matchPattern(*pattern, subject) ? 1 : 0);
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
    const Pattern compiled(std::string_view(pattern, std::size_t(patternSize)));
    return matchPattern(compiled, std::string_view(text, std::size_t(textSize)));
}
