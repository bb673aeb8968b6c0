#include "searchstatement.h"

namespace SearchStatement {

namespace {
const QString kSelectLine = QStringLiteral(
    "select bible.*, chapters.\"bookname\" from kjvbible.db bible, chapters.db chapters");
const QString kWhereLine = QStringLiteral("where");
const QString kJoinLine = QStringLiteral("bible.\"book\"=chapters.\"book\"");
const QString kOpenLine = QStringLiteral("and (");
const QString kFirstPatternStart = QStringLiteral("(bible.\"scripture text\" like'%");
const QString kPatternStart = QStringLiteral(" bible.\"scripture text\" like'%");
const QString kPatternEnd = QStringLiteral("%'");
const QString kAndClose = QStringLiteral("1=1)");
const QString kOrClose = QStringLiteral("1=0)");
} // namespace

QString connective(bool all)
{
    return all ? QStringLiteral("and") : QStringLiteral("or");
}

bool isBlankKeyword(const QString &text)
{
    return text.isEmpty() || text == QLatin1String(" ");
}

QStringList keywordGroup(const QString &keyword)
{
    const QString capitalised = asciiUpper(keyword.left(1)) + asciiLower(keyword.mid(1));
    return {
        kFirstPatternStart + quotePattern(asciiUpper(keyword)) + kPatternEnd + QLatin1String(" or"),
        kPatternStart + quotePattern(asciiLower(keyword)) + kPatternEnd + QLatin1String(" or"),
        kPatternStart + quotePattern(capitalised) + kPatternEnd + QLatin1String(")"),
    };
}

QStringList buildSearchStatement(const QStringList &keywords, bool all)
{
    QStringList lines{kSelectLine, kWhereLine, kJoinLine, kOpenLine};
    bool anyKeyword = false;
    for (const QString &keyword : keywords) {
        if (isBlankKeyword(keyword))
            continue;
        anyKeyword = true;
        lines << keywordGroup(keyword) << connective(all);
    }
    if (!anyKeyword)
        return {};
    lines << (all ? kAndClose : kOrClose);
    return lines;
}

} // namespace SearchStatement
