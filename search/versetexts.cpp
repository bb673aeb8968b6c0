#include "search/versetexts.h"

#include "scripture/dataset.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kBibleFile = QStringLiteral("kjvbible.db");
const QString kBooksFile = QStringLiteral("chapters.db");
constexpr int kBooks = 66;

std::shared_ptr<const VerseTexts> &shared()
{
    static std::shared_ptr<const VerseTexts> texts;
    return texts;
}

qint32 integerAt(const Query &query, int column)
{
    return FieldValue(query.valueAt(column)).asInteger();
}

} // namespace

bool VerseTexts::Source::operator==(const Source &other) const
{
    return bible == other.bible && books == other.books && bibleTime == other.bibleTime &&
           booksTime == other.booksTime && bibleSize == other.bibleSize &&
           booksSize == other.booksSize;
}

// The files the engine reads the two tables from, as they stand now. The
// engine's attachment raises its own error, naming the file, when one is
// missing or damaged.
VerseTexts::Source VerseTexts::currentSource()
{
    const QString bibleSchema = Engine::attach(kBibleFile);
    const QString booksSchema = Engine::attach(kBooksFile);
    Query list;
    list.addLine(QStringLiteral("PRAGMA database_list"));
    list.open();
    const int name = list.fieldIndex(QStringLiteral("name"));
    const int file = list.fieldIndex(QStringLiteral("file"));
    Source source;
    for (list.first(); !list.eof(); list.next()) {
        const QString schema = FieldValue(list.valueAt(name)).asString();
        if (schema == bibleSchema)
            source.bible = FieldValue(list.valueAt(file)).asString();
        else if (schema == booksSchema)
            source.books = FieldValue(list.valueAt(file)).asString();
    }
    const QFileInfo bible(source.bible);
    const QFileInfo books(source.books);
    source.bibleTime = bible.lastModified();
    source.bibleSize = bible.size();
    source.booksTime = books.lastModified();
    source.booksSize = books.size();
    return source;
}

std::shared_ptr<const VerseTexts> VerseTexts::current()
{
    std::shared_ptr<const VerseTexts> &texts = shared();
    Source source = currentSource();
    if (texts && texts->m_source == source)
        return texts;
    auto fresh = std::make_shared<VerseTexts>();
    fresh->m_source = std::move(source);
    fresh->load();
    texts = std::move(fresh);
    return texts;
}

// Book by book, so that only one book's rows are held as the engine's values
// at a time, besides the blocks.
void VerseTexts::load()
{
    m_bookNames = QVector<QString>(kBooks + 1);
    {
        Query names;
        names.addLine(QStringLiteral(
            "select chapters.\"book\", chapters.\"bookname\" from chapters.db chapters"));
        names.open();
        const int book = names.fieldIndex(QStringLiteral("Book"));
        const int name = names.fieldIndex(QStringLiteral("BookName"));
        if (book < 0 || name < 0)
            names.fieldByName(book < 0 ? QStringLiteral("Book") : QStringLiteral("BookName"));
        for (names.first(); !names.eof(); names.next()) {
            const qint32 number = integerAt(names, book);
            if (number >= 1 && number <= kBooks)
                m_bookNames[number] = FieldValue(names.valueAt(name)).asString();
        }
    }

    m_bookStart = QVector<int>(kBooks + 2, 0);
    for (int book = 1; book <= kBooks; ++book) {
        m_bookStart[book] = size();
        Query rows;
        rows.addLine(QStringLiteral("select bible.\"chapter\", bible.\"verse\", "
                                    "bible.\"scripture text\" from kjvbible.db bible"));
        rows.addLine(QStringLiteral("where bible.\"book\"=%1").arg(book));
        rows.addLine(QStringLiteral("order by bible.\"chapter\", bible.\"verse\""));
        rows.open();
        for (rows.first(); !rows.eof(); rows.next()) {
            m_start.append(int(m_text.size()));
            m_book.append(qint16(book));
            m_chapter.append(qint16(integerAt(rows, 0)));
            m_verse.append(qint16(integerAt(rows, 1)));
            QByteArray text = FieldValue(rows.valueAt(2)).asString().toUtf8();
            // A line break or a NUL inside a verse would split it in two for
            // the substring search; no verse holds one, and a stray one is
            // read as a space.
            std::replace_if(
                text.begin(), text.end(), [](char c) { return c == '\n' || c == '\0'; }, ' ');
            m_text += text;
            m_text += '\n';
        }
        if (!m_text.isEmpty() && m_text.back() == '\n')
            m_text.back() = '\0';
    }
    m_bookStart[kBooks + 1] = size();
    m_start.append(int(m_text.size()));
    m_text.append('\0');

    m_folded = m_text;
    for (char &c : m_folded) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    m_pairs = QVector<quint32>(256 * 256, 0);
    const auto *bytes = reinterpret_cast<const unsigned char *>(m_folded.constData());
    for (qsizetype i = 0; i + 1 < m_folded.size(); ++i)
        ++m_pairs[bytes[i] * 256 + bytes[i + 1]];
}

int VerseTexts::verseAt(int offset) const
{
    const auto after = std::upper_bound(m_start.cbegin(), m_start.cend() - 1, offset);
    return int(after - m_start.cbegin()) - 1;
}

int VerseTexts::firstVerseOf(int book) const
{
    return m_bookStart.at(qBound(1, book, kBooks + 1));
}
