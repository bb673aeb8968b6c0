#include "commandline.h"

#include <cerrno>
#include <cstring>

namespace {
const char *const kProgramName = "kelvaro";

const char *const kHelp =
    "Usage: kelvaro [OPTION]... [REFERENCE-LIST]\n"
    "Read, search and study the King James Version.\n"
    "\n"
    "Opens the passages of REFERENCE-LIST, such as \"John+3:16,17,Rom+8:28\", in\n"
    "reader windows. When Kelvaro is already running, the running window opens\n"
    "them and brings itself forward, and this command ends at once.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -V, --version  show the version and the licence and exit\n"
    "  --             end of options: what follows is the reference list\n"
    "\n"
    "Exit status: 0 when the passages were opened or handed over, 1 when they\n"
    "could not be handed over, 2 for a command line that is not understood.\n"
    "\"man kelvaro\" tells more.\n";

const char *const kVersion =
    "kelvaro (Kelvaro) " KELVARO_VERSION "\n"
    "Copyright (C) 2026 The Kelvaro developers\n"
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n"
    "The King James Version and Matthew Henry's Concise Commentary are in the\n"
    "public domain; so is Easton's Bible Dictionary, structured by the\n"
    "bible-dictionary-dataset project (CC BY 4.0).\n";

bool isOption(const QString &argument)
{
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

// The answer goes to a pipe or file as often as to a terminal: a full disk
// or a closed pipe must not pass for success.
int print(std::FILE *stream, const QString &text, int status)
{
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream) ==
                             std::size_t(bytes.size()) &&
                         std::fflush(stream) == 0;
    if (written)
        return status;
    const int cause = errno;
    std::fprintf(stderr, "%s: write error: %s\n", kProgramName,
                 cause ? std::strerror(cause) : "the output could not be written");
    return 1;
}
} // namespace

namespace CommandLine {
Reading read(const QStringList &arguments)
{
    Reading reading;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || !isOption(argument)) {
            reading.arguments.append(argument);
            reading.positions.append(i);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            reading.action = Reading::Help;
            return reading;
        } else if (argument == QLatin1String("-V") || argument == QLatin1String("--version")) {
            reading.action = Reading::Version;
            return reading;
        } else if ((argument == QLatin1String("-session") ||
                    argument == QLatin1String("--session")) &&
                   i + 1 < arguments.size()) {
            // A session manager restarting Kelvaro at login names its session
            // so (Qt's restart command); Kelvaro reopens its own readers.
            ++i;
        } else {
            reading.action = Reading::Unknown;
            reading.message =
                QStringLiteral("%1: unknown option '%2'\nTry '%1 --help' for more information.\n")
                    .arg(QLatin1String(kProgramName), argument);
            return reading;
        }
    }
    return reading;
}

QString helpText()
{
    return QString::fromUtf8(kHelp);
}

QString versionText()
{
    return QString::fromUtf8(kVersion);
}

int takeOptions(int &argc, char **argv, std::FILE *out, std::FILE *err)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const Reading reading = read(arguments);
    switch (reading.action) {
    case Reading::Help:
        return print(out, helpText(), 0);
    case Reading::Version:
        return print(out, versionText(), 0);
    case Reading::Unknown:
        print(err, reading.message, UsageError);
        return UsageError;
    case Reading::Run:
        break;
    }
    // What remains keeps its own bytes: the reference list is read from argv
    // again, in the locale's encoding.
    int kept = 1;
    for (const qsizetype position : reading.positions)
        argv[kept++] = argv[position + 1];
    argc = kept;
    argv[argc] = nullptr;
    return -1;
}
} // namespace CommandLine
