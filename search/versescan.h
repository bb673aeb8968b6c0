// The verse search as one pass over the verse texts held in memory: each
// keyword's longest literal run is sought with the C library's substring
// search over a whole book at a time, and only the verses where it stands
// are matched in full.
#pragma once

#include <QStringList>
#include <QVector>

class VerseTexts;

struct SearchOptions
{
    bool all = true; // every keyword, or any of them
    bool matchCase = false;
    bool wholeWords = false;
    int firstBook = 1; // the scope, book numbers 1 to 66
    int lastBook = 66;
};

namespace VerseScan {
// The verses (indices into texts) that hold the keywords, in canonical
// order. Blank keywords are ignored; none at all finds nothing.
QVector<int> findVerses(const VerseTexts &texts, const QStringList &keywords,
                        const SearchOptions &options);
} // namespace VerseScan
