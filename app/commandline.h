// The options of the command line, read before anything else: --help and
// --version answer and end without a display and without touching a file;
// an unknown option ends with status 2 before anything is written.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace CommandLine {
// Status of a command line that could not be understood (as GNU tools).
constexpr int UsageError = 2;

struct Reading
{
    enum Action {
        Run,     // go on: arguments holds what remains
        Help,    // print helpText()
        Version, // print versionText()
        Unknown, // message holds the complaint
    };
    Action action = Run;
    // The arguments without the program name, the options and the first
    // "--": the reference list first.
    QStringList arguments;
    QList<qsizetype> positions; // of each of arguments, in the command line
    QString message;
};

// Options may stand anywhere before "--"; after it every argument is a
// reference list, even one that begins with "-". A lone "-" is no option.
// The session manager's "-session NAME" is passed over.
Reading read(const QStringList &arguments);

QString helpText();
QString versionText();

// Reads argv's options and strips them (and the first "--") from argc and
// argv, as QApplication does with its own. Returns -1 when the program is
// to go on, else the status to end with, having printed the answer to out
// or the complaint to err.
int takeOptions(int &argc, char **argv, std::FILE *out = stdout, std::FILE *err = stderr);
} // namespace CommandLine
