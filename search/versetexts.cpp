#include "search/versetexts.h"

#include "scripture/dataset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <memory>

#include <sqlite3.h>

namespace {

const QString kBibleFile = QStringLiteral("kjvbible.db");
const QString kBooksFile = QStringLiteral("chapters.db");
constexpr int kBooks = 66;
constexpr int kBusyMs = 250;
constexpr int kPadding = 64;
constexpr int kPairSampling = 7;
constexpr int kHeaderSize = 100;

unsigned char foldedByte(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

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
           booksSize == other.booksSize && bibleHeader == other.bibleHeader;
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
    // SQLite counts every change to the file in its header: a change within
    // the clock's resolution, which leaves the size alone, still shows.
    QFile header(source.bible);
    if (header.open(QIODevice::ReadOnly))
        source.bibleHeader = header.read(kHeaderSize);
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

// The verse table is read once, whole, over a connection of its own without
// a memory map: the engine maps the file for the readers, and mapping every
// page of it here would keep the whole file resident beside the texts.
void VerseTexts::load()
{
    m_bookNames = QVector<QString>(kBooks + 1);
    {
        Query names;
        names.setTableFiles({kBooksFile});
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

    const QString shownPath = QDir::toNativeSeparators(m_source.bible);
    sqlite3 *opened = nullptr;
    const int openResult = sqlite3_open_v2(QFile::encodeName(m_source.bible).constData(), &opened,
                                           SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(opened, &sqlite3_close);
    const auto fail = [&db, &shownPath]() {
        return EngineError(QStringLiteral("%1: %2").arg(
            db ? QString::fromUtf8(sqlite3_errmsg(db.get())) : QStringLiteral("out of memory"),
            shownPath));
    };
    if (openResult != SQLITE_OK)
        throw fail();
    sqlite3_busy_timeout(db.get(), kBusyMs);
    const auto prepare = [&](const char *sql) {
        sqlite3_stmt *prepared = nullptr;
        if (sqlite3_prepare_v2(db.get(), sql, -1, &prepared, nullptr) != SQLITE_OK)
            throw fail();
        return std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>(prepared,
                                                                          &sqlite3_finalize);
    };
    // The file holds the texts and a little more: the block is allocated
    // once, and the pages it does not fill are never touched.
    m_text.reserve(qMax<qint64>(0, m_source.bibleSize) + kPadding);
    const auto rows = prepare("select \"Book\", \"Chapter\", \"Verse\", \"Scripture Text\" "
                              "from db order by \"Book\", \"Chapter\", \"Verse\"");
    m_bookStart = QVector<int>(kBooks + 2, -1);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(rows.get())) == SQLITE_ROW) {
        const qint64 book = sqlite3_column_int64(rows.get(), 0);
        if (book < 1 || book > kBooks)
            continue;
        if (m_bookStart[book] < 0) {
            m_bookStart[book] = size();
            // Each book ends with a NUL where its last verse's separator was.
            if (!m_text.isEmpty())
                m_text.back() = '\0';
        }
        m_start.append(int(m_text.size()));
        m_book.append(qint16(book));
        m_chapter.append(qint16(sqlite3_column_int64(rows.get(), 1)));
        m_verse.append(qint16(sqlite3_column_int64(rows.get(), 2)));
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(rows.get(), 3));
        const int length = sqlite3_column_bytes(rows.get(), 3);
        const qsizetype at = m_text.size();
        m_text.append(text, length);
        // A line break or a NUL inside a verse would split it in two for the
        // substring search; no verse holds one, and a stray one is read as a
        // space.
        if (std::memchr(text, '\n', std::size_t(length)) ||
            std::memchr(text, '\0', std::size_t(length)))
            std::replace_if(
                m_text.begin() + at, m_text.end(), [](char c) { return c == '\n' || c == '\0'; },
                ' ');
        m_text.append('\n');
    }
    if (step != SQLITE_DONE)
        throw fail();
    if (!m_text.isEmpty())
        m_text.back() = '\0';
    m_start.append(int(m_text.size()));
    m_text.append(QByteArray(kPadding, '\0'));
    // A book without verses starts where the next one does.
    m_bookStart[kBooks + 1] = size();
    for (int book = kBooks; book >= 1; --book) {
        if (m_bookStart[book] < 0)
            m_bookStart[book] = m_bookStart[book + 1];
    }
    m_bookStart[0] = 0;

    m_pairs = QVector<quint32>(256 * 256, 0);
    // Which pair is rarer is all that is asked of the counts: one place in
    // seven tells it as well as every place, in a seventh of the time.
    quint32 *pairs = m_pairs.data();
    const auto *bytes = reinterpret_cast<const unsigned char *>(m_text.constData());
    for (qsizetype i = 0; i + 1 < m_text.size(); i += kPairSampling)
        ++pairs[foldedByte(bytes[i]) * 256 + foldedByte(bytes[i + 1])];
}

int VerseTexts::verseAt(int offset, int near) const
{
    // Hits close together are a few verses apart: step; otherwise halve.
    near = qBound(0, near, size() - 1);
    if (m_start.at(near) > offset)
        near = 0;
    for (int step = 0; step < 8; ++step, ++near) {
        if (near + 1 >= size() || m_start.at(near + 1) > offset)
            return near;
    }
    const auto after = std::upper_bound(m_start.cbegin() + near, m_start.cend() - 1, offset);
    return int(after - m_start.cbegin()) - 1;
}

int VerseTexts::firstVerseOf(int book) const
{
    return m_bookStart.at(qBound(1, book, kBooks + 1));
}
