#include "bookcatalogue.h"

namespace BookCatalogue {
const QStringList &names()
{
    static const QStringList list = {
        QStringLiteral("Genesis"),         QStringLiteral("Exodus"),
        QStringLiteral("Leviticus"),       QStringLiteral("Numbers"),
        QStringLiteral("Deuteronomy"),     QStringLiteral("Joshua"),
        QStringLiteral("Judges"),          QStringLiteral("Ruth"),
        QStringLiteral("1 Samuel"),        QStringLiteral("2 Samuel"),
        QStringLiteral("1 Kings"),         QStringLiteral("2 Kings"),
        QStringLiteral("1 Chronicles"),    QStringLiteral("2 Chronicles"),
        QStringLiteral("Ezra"),            QStringLiteral("Nehemiah"),
        QStringLiteral("Esther"),          QStringLiteral("Job"),
        QStringLiteral("Psalms"),          QStringLiteral("Proverbs"),
        QStringLiteral("Ecclesiastes"),    QStringLiteral("Song of Solomon"),
        QStringLiteral("Isaiah"),          QStringLiteral("Jeremiah"),
        QStringLiteral("Lamentations"),    QStringLiteral("Ezekiel"),
        QStringLiteral("Daniel"),          QStringLiteral("Hosea"),
        QStringLiteral("Joel"),            QStringLiteral("Amos"),
        QStringLiteral("Obadiah"),         QStringLiteral("Jonah"),
        QStringLiteral("Micah"),           QStringLiteral("Nahum"),
        QStringLiteral("Habakkuk"),        QStringLiteral("Zephaniah"),
        QStringLiteral("Haggai"),          QStringLiteral("Zechariah"),
        QStringLiteral("Malachi"),         QStringLiteral("Matthew"),
        QStringLiteral("Mark"),            QStringLiteral("Luke"),
        QStringLiteral("John"),            QStringLiteral("Acts"),
        QStringLiteral("Romans"),          QStringLiteral("1 Corinthians"),
        QStringLiteral("2 Corinthians"),   QStringLiteral("Galatians"),
        QStringLiteral("Ephesians"),       QStringLiteral("Philippians"),
        QStringLiteral("Colossians"),      QStringLiteral("1 Thessalonians"),
        QStringLiteral("2 Thessalonians"), QStringLiteral("1 Timothy"),
        QStringLiteral("2 Timothy"),       QStringLiteral("Titus"),
        QStringLiteral("Philemon"),        QStringLiteral("Hebrews"),
        QStringLiteral("James"),           QStringLiteral("1 Peter"),
        QStringLiteral("2 Peter"),         QStringLiteral("1 John"),
        QStringLiteral("2 John"),          QStringLiteral("3 John"),
        QStringLiteral("Jude"),            QStringLiteral("Revelation"),
    };
    return list;
}
}  // namespace BookCatalogue
