#include "app/referenceurl.h"

#include "app/application.h"
#include "app/formmain.h"
#include "app/pendingreference.h"
#include "scripture/dataset.h"
#include "scripture/scripturetext.h"

#include <QRegularExpression>
#include <QUrl>

#include <exception>

namespace {
const char *const kScheme = "kelvaro";
const char *const kNoVerse = "The link %1 names no verse of the King James Version.";

// The verse a link names as a book number, or 0 when the catalogue has no
// such abbreviation, or no such chapter and verse.
int bookOf(Table &chapters, const QString &abbreviation)
{
    chapters.findNearest(abbreviation);
    if (chapters.isEmpty() || chapters.fieldByName(QStringLiteral("BookAbbr"))
                                      .asString()
                                      .compare(abbreviation, Qt::CaseInsensitive) != 0)
        return 0;
    return chapters.fieldByName(QStringLiteral("Book")).asInteger();
}

bool verseExists(int book, int chapter, int verse)
{
    const std::optional<qint32> verses = ScriptureText().verseCount(book, chapter);
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

bool openInReader(const QString &link)
{
    TFormMain *main = TFormMain::instance();
    if (!main)
        return false;
    Verse target;
    int book = 0;
    try {
        if (parse(link, &target)) {
            book = bookOf(main->TableChapters(), target.abbreviation);
            if (book > 0 && !verseExists(book, target.chapter, target.verse))
                book = 0;
        }
    } catch (const std::exception &error) {
        ErrorReport::show(error);
        return false;
    }
    if (book == 0) {
        ErrorReport::information(main, QString::fromLatin1(kNoVerse).arg(link));
        return false;
    }
    return ErrorReport::guard([&] {
        main->Open1Click(VerseReference{book, target.chapter, target.verse});
    });
}
} // namespace ReferenceUrl
