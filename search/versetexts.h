// Every verse of the scripture table held in memory, in canonical order, for
// the verse search: the UTF-8 text as stored, in one block with the verses of
// a book separated by line breaks and each book ended by a NUL, so that the
// C library's substring search runs over a whole book at a time. The block
// is followed by NULs enough for a 32-byte read at any place in it.
//
// The texts are read once and shared by every search window; a search asks
// for them again each time, and they are read anew when the table file has
// changed or moved.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QVector>

#include <memory>

class VerseTexts
{
public:
    // The texts of the table folder's kjvbible.db and chapters.db. Throws
    // EngineError, naming the file, when a table is missing or refused.
    static std::shared_ptr<const VerseTexts> current();

    int size() const { return int(m_book.size()); }
    int book(int verse) const { return m_book.at(verse); }
    int chapter(int verse) const { return m_chapter.at(verse); }
    int verseNumber(int verse) const { return m_verse.at(verse); }
    // The verse's bytes without their separator.
    QByteArrayView text(int verse) const
    {
        return QByteArrayView(m_text.constData() + m_start.at(verse),
                              m_start.at(verse + 1) - 1 - m_start.at(verse));
    }
    const char *block() const { return m_text.constData(); }
    int start(int verse) const { return m_start.at(verse); }
    // The verse whose text (or separator) holds the byte at offset, looked
    // for from the verse near (at or before it) onwards.
    int verseAt(int offset, int near = 0) const;
    // The verses of books first to last (numbers 1 to 66): [begin, end).
    int firstVerseOf(int book) const;
    // The book's name from the book catalogue; empty for an unknown book.
    QString bookName(int book) const { return m_bookNames.value(book); }
    // How often a pair of bytes stands in the text, ASCII letters counted as
    // small letters: the rarest pair of a keyword is the one to look for.
    quint32 pairCount(unsigned char a, unsigned char b) const { return m_pairs.at(a * 256 + b); }

private:
    struct Source
    {
        QString bible, books;
        QDateTime bibleTime, booksTime;
        qint64 bibleSize = -1, booksSize = -1;
        QByteArray bibleHeader; // holds the file's change counter
        bool operator==(const Source &other) const;
    };
    static Source currentSource();
    void load();

    Source m_source;
    QByteArray m_text;
    QVector<int> m_start; // one past the last verse: the end of the block
    QVector<qint16> m_book, m_chapter, m_verse;
    QVector<int> m_bookStart; // first verse of book n at n, 67 entries
    QVector<QString> m_bookNames;
    QVector<quint32> m_pairs;
};
