// Verse links: "kelvaro:John+3:16", the book's catalogue abbreviation, "+",
// the chapter, ":" and the verse. The program's own documents carry them;
// a browser hands them to the program through the desktop's handler for
// the scheme, which starts the program with the link as its argument.
#pragma once

#include <QString>

namespace ReferenceUrl {
// "kelvaro"
QString scheme();

// A command-line argument as a reference list of param.txt: a verse link
// loses its scheme (and the "//" and final "/" some browsers add) and its
// percent-escapes; any other argument is returned unchanged.
QString toReferenceList(const QString &argument);

struct Verse
{
    QString abbreviation;
    int chapter = 0;
    int verse = 0;
};
// A link as its three parts; false for anything but "kelvaro:Abbr+C:V" (or
// "kelvaro:Abbr+C", verse 1) with whole positive numbers.
bool parse(const QString &link, Verse *verse);

// Opens a reader at the verse a link names, through the main window's
// Open1Click. A link that names no verse of the Bible
// is reported by a message naming it; false then.
bool openInReader(const QString &link);
} // namespace ReferenceUrl
