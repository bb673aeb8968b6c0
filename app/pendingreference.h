// The program-wide hand-off to the next reader window.
//
// Whoever wants a reader at a particular place sets all three fields of
// PendingReference first; a reader takes it while it is being created and
// sets it back to 1, 1, 1. Windows outside the main window raise
// OpenBookRequest instead of opening the reader themselves; the main window's
// 200 ms timer turns the request into one reader.
#pragma once

#include <QStringList>
#include <QtGlobal>

struct VerseReference
{
    qint32 Book = 0;
    qint32 Chapter = 0;
    qint32 Verse = 0;
    // A reader opened from a search result marks its verse and highlights
    // the keywords as the search found them.
    bool MarkVerse = false;
    QStringList Words = {};
    bool MatchCase = false;
    bool WholeWords = false;
};

extern VerseReference PendingReference;
extern bool OpenBookRequest;
