#include "commandlinereference.h"

#include "app/parameterparser.h"
#include "app/programfolder.h"
#include "app/referenceurl.h"
#include "scripture/dataset.h"
#include "scripture/versecounts.h"

namespace CommandLineReference {
Outcome fromArguments(const QStringList &arguments, const ReferenceParser::VerseCount &verses)
{
    Outcome outcome;
    if (arguments.isEmpty())
        return outcome;
    // A book abbreviation ended by "+" marks the design's list; as ever only
    // the first argument is handed over. Its numbers are checked here, so
    // that a broken list is told to the one who typed it.
    const QString first = arguments.first();
    if (first.contains(QLatin1Char('+'))) {
        try {
            ParameterParser::Parser check([](const QString &) { return 1; },
                                          [](const ParameterParser::Reference &) {});
            check.parseLine(first);
        } catch (const std::exception &error) {
            outcome.error = QString::fromUtf8(error.what());
            return outcome;
        }
        outcome.list = first;
        return outcome;
    }
    const ReferenceParser::Result result =
        ReferenceParser::parse(arguments.join(QLatin1Char(' ')), verses);
    if (!result.ok) {
        outcome.error = result.message;
        return outcome;
    }
    const ReferenceParser::Reference &reference = result.reference;
    outcome.list = QStringLiteral("%1+%2:%3")
                       .arg(ReferenceParser::catalogueAbbreviation(reference.Book))
                       .arg(reference.Chapter)
                       .arg(reference.Verse);
    return outcome;
}

Outcome fromArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        // A verse link from a browser ("kelvaro:John+3:16") is a reference list.
        arguments.append(ReferenceUrl::toReferenceList(QString::fromLocal8Bit(argv[i])));
    Engine::setTableFolder(ProgramFolder::path());
    VerseCounts counts;
    return fromArguments(arguments,
                         [&counts](int book, int chapter) { return counts(book, chapter); });
}
} // namespace CommandLineReference
