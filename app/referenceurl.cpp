#include "app/referenceurl.h"

#include "app/application.h"
#include "app/pendingreference.h"
#include "scripture/scripturetext.h"

#include <QRegularExpression>
#include <QUrl>

#include <exception>

namespace {
const char *const kScheme = "kelvaro";
const char *const kNoVerse = "The link %1 names no verse of the King James Version.";

// The book a link's abbreviation names, or 0 when the catalogue has no
// such abbreviation.
int bookOf(ScriptureText &scripture, const QString &abbreviation)
{
    const ScriptureText::NearestBook nearest = scripture.nearestBook(abbreviation);
    if (nearest.book == 0 || nearest.abbreviation.compare(abbreviation, Qt::CaseInsensitive) != 0)
        return 0;
    return nearest.book;
}

bool verseExists(ScriptureText &scripture, int book, int chapter, int verse)
{
    const std::optional<qint32> verses = scripture.verseCount(book, chapter);
    return verses && verse <= *verses;
}
} // namespace

namespace ReferenceUrl {
QString scheme()
{
    return QString::fromLatin1(kScheme);
}

QString toReferenceList(const QString &argument)
{
    const QString prefix = scheme() + QLatin1Char(':');
    if (!argument.startsWith(prefix, Qt::CaseInsensitive))
        return argument;
    QString rest = argument.mid(prefix.size());
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    while (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    return QUrl::fromPercentEncoding(rest.toUtf8());
}

bool parse(const QString &link, Verse *verse)
{
    static const QRegularExpression form(
        QStringLiteral("^([1-3]?[A-Za-z]{2,10})\\+([1-9][0-9]{0,2})(?::([1-9][0-9]{0,2}))?$"));
    const QString prefix = scheme() + QLatin1Char(':');
    if (!link.startsWith(prefix, Qt::CaseInsensitive))
        return false;
    const QRegularExpressionMatch match = form.match(toReferenceList(link));
    if (!match.hasMatch())
        return false;
    if (verse) {
        verse->abbreviation = match.captured(1);
        verse->chapter = match.captured(2).toInt();
        verse->verse = match.hasCaptured(3) ? match.captured(3).toInt() : 1;
    }
    return true;
}

bool openInReader(const QString &link, ReaderHandOff &handOff, QWidget *parent)
{
    Verse target;
    int book = 0;
    try {
        if (parse(link, &target)) {
            ScriptureText scripture;
            book = bookOf(scripture, target.abbreviation);
            if (book > 0 && !verseExists(scripture, book, target.chapter, target.verse))
                book = 0;
        }
    } catch (const std::exception &error) {
        ErrorReport::show(error);
        return false;
    }
    if (book == 0) {
        ErrorReport::information(parent, QString::fromLatin1(kNoVerse).arg(link));
        return false;
    }
    // The hand-off's owner opens the reader and tells a failure itself.
    handOff.OpenBookRequest(VerseReference{book, target.chapter, target.verse});
    return true;
}
} // namespace ReferenceUrl
