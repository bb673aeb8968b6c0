// References as people type them: "John 3:16", "jn 3.16", "1 Cor 13:4-7",
// "Psalm 23", "Jude 3". Turns the text into a book, chapter and verse (and
// the last verse of a range), or into a message that says what is wrong.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace ReferenceParser {
// Longest text taken as a reference; anything longer is refused unread.
constexpr int MaxLength = 100;

struct Reference
{
    qint32 Book = 0;
    qint32 Chapter = 0;
    qint32 Verse = 1;
    // Equal to Verse unless a range such as 13:4-7 was given.
    qint32 LastVerse = 1;
    // "Psalm 23": the chapter without a verse.
    bool ChapterOnly = false;

    bool isRange() const { return LastVerse > Verse; }
};

struct Result
{
    bool ok = false;
    Reference reference;
    QString message; // why the text is no reference (ok false)
};

// Verses of a chapter of a book; a count of 0 or less is not known, and the
// verse is then not checked.
using VerseCount = std::function<int(int book, int chapter)>;

Result parse(const QString &text, const VerseCount &verses = {});

// The 66 books' names, in order, as the completion offers them.
const QStringList &bookNames();
// Chapters of a book (1 to 66) in the King James Version; 0 otherwise.
int chapterCount(int book);
// The book catalogue's abbreviation, as the reference lists of the hand-off
// name a book ("John", "1Cor", "Ps").
QString catalogueAbbreviation(int book);
} // namespace ReferenceParser
