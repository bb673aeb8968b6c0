// Verse links: "kelvaro:John+3:16", the book's catalogue abbreviation, "+",
// the chapter, ":" and the verse. The program's own documents carry them;
// a browser hands them to the program through the desktop's handler for
// the scheme, which starts the program with the link as its argument.
#pragma once

#include <QString>

class QWidget;
class ReaderHandOff;

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

// Asks the hand-off for a reader at the verse a link names, as the book
// catalogue and the verse counts know it. A link that names no verse of the
// Bible is reported by a message over parent naming it; false then.
bool openInReader(const QString &link, ReaderHandOff &handOff, QWidget *parent);
} // namespace ReferenceUrl
