// The program's arguments as the reference list it hands to the running
// instance: the design's lists ("John+3:16,17") as they stand, and the forms
// people type ("John 3:16", "1 Cor 13:4", also spread over several
// arguments) turned into such a list.
#pragma once

#include "scripture/referenceparser.h"

#include <QString>
#include <QStringList>

namespace CommandLineReference {
struct Outcome
{
    QString list;  // the line for param.txt; empty when there is nothing to hand over
    QString error; // why the arguments name no passage; nothing is handed over
};

// arguments without the program's own name.
Outcome fromArguments(const QStringList &arguments, const ReferenceParser::VerseCount &verses);
// As above, with the verse counts of the program folder's Verses.db.
Outcome fromArguments(int argc, char *argv[]);
} // namespace CommandLineReference
