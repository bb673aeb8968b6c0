#include "referenceparser.h"

#include "scripture/bookcatalogue.h"

#include <QHash>
#include <QRegularExpression>

namespace ReferenceParser {
namespace {
// Per book: the catalogue's abbreviation, the chapters of the King James
// Version, and the other names and abbreviations people write. Names are
// compared in lower case with blanks and dots left out; a leading "1", "I",
// "First" or "1st" (and so on) all read as the digit.
struct BookForms
{
    const char *abbreviation;
    int chapters;
    const char *aliases; // blank-separated keys
};

const BookForms kBooks[BookCatalogue::BookCount] = {
    {"Gen", 50, "gen ge gn"},
    {"Exod", 40, "exod exo ex"},
    {"Lev", 27, "lev le lv"},
    {"Num", 36, "num nu nm nb"},
    {"Deut", 34, "deut deu de dt"},
    {"Josh", 24, "josh jos jsh"},
    {"Judg", 21, "judg jdg jg jdgs"},
    {"Ruth", 4, "ruth rth ru"},
    {"1Sam", 31, "1sam 1sa 1sm 1s"},
    {"2Sam", 24, "2sam 2sa 2sm 2s"},
    {"1Kgs", 22, "1kgs 1ki 1kg 1kin 1k"},
    {"2Kgs", 25, "2kgs 2ki 2kg 2kin 2k"},
    {"1Chr", 29, "1chr 1ch 1chron"},
    {"2Chr", 36, "2chr 2ch 2chron"},
    {"Ezra", 10, "ezra ezr"},
    {"Neh", 13, "neh ne"},
    {"Esth", 10, "esth est es"},
    {"Job", 42, "job jb"},
    {"Ps", 150, "psalm psalms ps psa pss psm"},
    {"Prov", 31, "prov pro prv pr"},
    {"Eccl", 12, "eccl ecc ec eccles qoh"},
    {"Song", 8, "song songofsongs songs sos sng canticles canticle cant"},
    {"Isa", 66, "isa is"},
    {"Jer", 52, "jer je jr"},
    {"Lam", 5, "lam la"},
    {"Ezek", 48, "ezek eze ezk"},
    {"Dan", 12, "dan da dn"},
    {"Hos", 14, "hos ho"},
    {"Joel", 3, "joel jl"},
    {"Amos", 9, "amos am"},
    {"Obad", 1, "obad ob"},
    {"Jonah", 4, "jonah jon jnh"},
    {"Mic", 7, "mic mc"},
    {"Nah", 3, "nah na"},
    {"Hab", 3, "hab hb"},
    {"Zeph", 3, "zeph zep zp"},
    {"Hag", 2, "hag hg"},
    {"Zech", 14, "zech zec zc"},
    {"Mal", 4, "mal ml"},
    {"Matt", 28, "matt mat mt"},
    {"Mark", 16, "mark mrk mk mar"},
    {"Luke", 24, "luke luk lk"},
    {"John", 21, "john jn jhn joh"},
    {"Acts", 28, "acts act ac"},
    {"Rom", 16, "rom ro rm"},
    {"1Cor", 16, "1cor 1co"},
    {"2Cor", 13, "2cor 2co"},
    {"Gal", 6, "gal ga"},
    {"Eph", 6, "eph ephes"},
    {"Phil", 4, "phil php pp philip"},
    {"Col", 4, "col"},
    {"1Thess", 5, "1thess 1thes 1th"},
    {"2Thess", 3, "2thess 2thes 2th"},
    {"1Tim", 6, "1tim 1ti 1tm"},
    {"2Tim", 4, "2tim 2ti 2tm"},
    {"Titus", 3, "titus tit ti"},
    {"Phlm", 1, "phlm philem phm phile"},
    {"Heb", 13, "heb"},
    {"Jas", 5, "jas jam jm"},
    {"1Pet", 5, "1pet 1pe 1pt 1p"},
    {"2Pet", 3, "2pet 2pe 2pt 2p"},
    {"1John", 5, "1john 1jn 1jhn 1jo 1j"},
    {"2John", 1, "2john 2jn 2jhn 2jo 2j"},
    {"3John", 1, "3john 3jn 3jhn 3jo 3j"},
    {"Jude", 1, "jude jud jd"},
    {"Rev", 22, "rev re rv revelations apocalypse"},
};

// How a leading number may be written: longest forms first, so that "iii"
// is not read as "i" followed by "ii".
const std::pair<const char *, char> kOrdinals[] = {
    {"first", '1'}, {"second", '2'}, {"third", '3'}, {"1st", '1'}, {"2nd", '2'},
    {"3rd", '3'},   {"iii", '3'},    {"ii", '2'},    {"i", '1'},
};

QString keyOf(const QString &name)
{
    QString key;
    for (const QChar c : name) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('.'))
            key.append(c.toLower());
    }
    return key;
}

struct Keys
{
    QHash<QString, int> exact; // names and abbreviations
    QList<QString> fullNames;  // key of each book's full name
};

const Keys &keys()
{
    static const Keys table = [] {
        Keys built;
        for (int i = 0; i < BookCatalogue::BookCount; ++i) {
            const int book = i + 1;
            const QString full = keyOf(BookCatalogue::names().at(i));
            built.fullNames.append(full);
            built.exact.insert(full, book);
            built.exact.insert(keyOf(QString::fromLatin1(kBooks[i].abbreviation)), book);
            const QStringList aliases =
                QString::fromLatin1(kBooks[i].aliases).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (const QString &alias : aliases)
                built.exact.insert(alias, book);
        }
        return built;
    }();
    return table;
}

// The book a key names: 0 for none; ambiguous gets the candidates' names.
int lookUp(const QString &key, QStringList *ambiguous)
{
    const Keys &table = keys();
    if (const auto found = table.exact.constFind(key); found != table.exact.cend())
        return found.value();
    // Beyond the listed abbreviations, any beginning of a full name that
    // names one book only ("Deuter", "Philipp").
    QList<int> candidates;
    if (key.size() >= 2) {
        for (int i = 0; i < table.fullNames.size(); ++i) {
            if (table.fullNames.at(i).startsWith(key))
                candidates.append(i + 1);
        }
    }
    if (candidates.size() == 1)
        return candidates.first();
    for (int book : std::as_const(candidates))
        ambiguous->append(BookCatalogue::names().at(book - 1));
    return 0;
}

int findBook(const QString &typed, QStringList *ambiguous)
{
    const QString key = keyOf(typed);
    if (const int book = lookUp(key, ambiguous))
        return book;
    // "I Cor", "First John", "2nd Kings": the number written another way.
    // Tried only when the name as it stands is none: "Isa" is Isaiah.
    for (const auto &[form, digit] : kOrdinals) {
        const QString prefix = QString::fromLatin1(form);
        if (key.startsWith(prefix) && key.size() > prefix.size()) {
            QStringList others;
            if (const int book = lookUp(QLatin1Char(digit) + key.mid(prefix.size()), &others))
                return book;
        }
    }
    return 0;
}

// A number as typed; anything past the 32-bit range counts as too big to be
// any chapter or verse.
qint32 numberOf(const QString &digits)
{
    if (digits.size() > 9)
        return std::numeric_limits<qint32>::max();
    return digits.toInt();
}

// A typed text quoted back in a message: short, and on one line.
QString quoted(const QString &text)
{
    const int shown = 40;
    QString simplified = text.simplified();
    if (simplified.size() > shown)
        simplified = simplified.left(shown) + QChar(0x2026);
    return simplified;
}

Result failure(const QString &message)
{
    Result result;
    result.message = message;
    return result;
}

QString example()
{
    return QStringLiteral("Type a book, a chapter and a verse, such as John 3:16");
}
} // namespace

const QStringList &bookNames()
{
    return BookCatalogue::names();
}

int chapterCount(int book)
{
    return book >= 1 && book <= BookCatalogue::BookCount ? kBooks[book - 1].chapters : 0;
}

QString catalogueAbbreviation(int book)
{
    return book >= 1 && book <= BookCatalogue::BookCount
               ? QString::fromLatin1(kBooks[book - 1].abbreviation)
               : QString();
}

Result parse(const QString &text, const VerseCount &verses)
{
    if (text.size() > MaxLength)
        return failure(QStringLiteral("A reference is at most %1 characters long").arg(MaxLength));
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return failure(QStringLiteral("A reference cannot hold control characters"));
        if (c.unicode() > 0x7f && c.isLetterOrNumber())
            return failure(
                QStringLiteral("Write the reference with the letters A to Z and the digits 0 "
                               "to 9"));
    }
    // A pasted no-break or other wide blank counts as a blank.
    QString blanks = text;
    for (QChar &c : blanks) {
        if (c.isSpace())
            c = QLatin1Char(' ');
    }
    const QString trimmed = blanks.trimmed();
    if (trimmed.isEmpty())
        return failure(example());

    // Book (an optional leading number, then letters, blanks and dots), then
    // chapter, then ":" or "." and a verse, then "-" and the last verse.
    static const QRegularExpression form(
        QStringLiteral(
            "^([1-3]?[ .]*[a-z][a-z .]*?)[ .]*"
            "(?:([0-9]+)(?:[ ]*[:.][ ]*([0-9]+)(?:[ ]*[-\\x{2013}][ ]*([0-9]+))?)?)?[ ]*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(trimmed);
    if (!match.hasMatch()) {
        static const QRegularExpression letter(QStringLiteral("[A-Za-z]"));
        if (!trimmed.contains(letter))
            return failure(QStringLiteral("Begin with the book, as in John 3:16"));
        return failure(
            QStringLiteral("\"%1\" is not a reference. %2").arg(quoted(trimmed), example()));
    }

    const QString bookText = match.captured(1).trimmed();
    QStringList ambiguous;
    const int book = findBook(bookText, &ambiguous);
    if (book == 0) {
        if (ambiguous.size() > 1)
            return failure(
                QStringLiteral("%1 could be %2")
                    .arg(quoted(bookText),
                         ambiguous.mid(0, ambiguous.size() - 1).join(QStringLiteral(", ")) +
                             QStringLiteral(" or ") + ambiguous.constLast()));
        return failure(QStringLiteral("No book called %1").arg(quoted(bookText)));
    }

    const QString name = BookCatalogue::names().at(book - 1);
    const int chapters = chapterCount(book);
    Reference reference;
    reference.Book = book;
    reference.Chapter = 1;
    const QString chapterText = match.captured(2);
    const QString verseText = match.captured(3);
    const QString lastText = match.captured(4);
    if (chapterText.isEmpty()) {
        reference.ChapterOnly = true;
    } else if (verseText.isEmpty() && chapters == 1) {
        // "Jude 3": a book of one chapter is counted by verses.
        reference.Verse = numberOf(chapterText);
    } else {
        reference.Chapter = numberOf(chapterText);
        if (verseText.isEmpty())
            reference.ChapterOnly = true;
        else
            reference.Verse = numberOf(verseText);
    }
    reference.LastVerse = lastText.isEmpty() ? reference.Verse : numberOf(lastText);

    if (reference.Chapter < 1 || reference.Chapter > chapters)
        return failure(chapters == 1
                           ? QStringLiteral("%1 has 1 chapter").arg(name)
                           : QStringLiteral("%1 has %2 chapters").arg(name).arg(chapters));
    const QString place =
        chapters == 1 ? name : QStringLiteral("%1 %2").arg(name).arg(reference.Chapter);
    const int count = verses ? verses(book, reference.Chapter) : 0;
    // Without the count, no chapter has more verses than Psalm 119.
    const int most = count > 0 ? count : 176;
    const QString typedVerses[2] = {chapters == 1 && verseText.isEmpty() ? chapterText : verseText,
                                    lastText};
    const qint32 numbers[2] = {reference.Verse, reference.LastVerse};
    for (int i = 0; i < 2; ++i) {
        if (numbers[i] >= 1 && numbers[i] <= most)
            continue;
        if (count > 0)
            return failure(QStringLiteral("%1 has %2 verses").arg(place).arg(count));
        return failure(QStringLiteral("%1 has no verse %2").arg(place, quoted(typedVerses[i])));
    }
    if (reference.LastVerse < reference.Verse)
        return failure(QStringLiteral("A range runs forward, as in %1 %2:%3-%4")
                           .arg(name)
                           .arg(reference.Chapter)
                           .arg(reference.LastVerse)
                           .arg(reference.Verse));
    Result result;
    result.ok = true;
    result.reference = reference;
    return result;
}
} // namespace ReferenceParser
