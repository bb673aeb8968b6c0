// The reader's own study data: bookmarks, notes and highlighted verses, kept
// in a SQLite file of their own ("study.db") beside the session table.
//
// Every change is one transaction, written the moment it is made (WAL
// journal, full synchronisation), so that a killed program loses at most the
// change it was making. A file SQLite calls damaged is renamed aside, never
// written over, and the store starts afresh beside it. The file is the
// user's alone (mode 0600). Failures throw std::runtime_error with a message
// that names the file.
#pragma once

#include "app/pendingreference.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

namespace Study {
// Highlight colours, 0 for none. Their names are part of the export format.
constexpr int HighlightCount = 5;
QString highlightName(int colour);
// 0 when the name is none of the colours.
int highlightFromName(const QString &name);

// Everything kept about one verse.
struct Entry
{
    VerseReference place;
    bool bookmarked = false;
    QString label;
    QString created; // ISO 8601 UTC, milliseconds
    QString note;    // empty: no note
    QString noteModified;
    int highlight = 0;

    bool isEmpty() const { return !bookmarked && note.isEmpty() && highlight == 0; }
};

// Book, chapter and verse as one sortable number.
inline qint64 keyOf(const VerseReference &place)
{
    return qint64(place.Book) * 1000000 + qint64(place.Chapter) * 1000 + place.Verse;
}
bool isValidPlace(const VerseReference &place);
// "John 3:16"
QString referenceText(const VerseReference &place);
QString now();

// What an import added.
struct MergeCounts
{
    int bookmarks = 0;
    int notes = 0;
    int highlights = 0;
    int unchanged = 0;
};
} // namespace Study

class StudyStore : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *FileName = "study.db";

    explicit StudyStore(QObject *parent = nullptr);
    ~StudyStore() override;

    // The store of the running main window, or null.
    static StudyStore *current();

    // Opens (creating when missing) the file in the folder. Returns an
    // empty text, or a message for the person: a damaged file set aside.
    // Throws when the file cannot be used at all.
    QString open(const QString &folder);
    bool isOpen() const;
    QString filePath() const { return m_path; }

    Study::Entry entry(const VerseReference &place) const;
    // Verse number to marks, for one chapter.
    QHash<int, Study::Entry> chapter(int book, int chapter) const;
    // Every verse with a bookmark, a note or a highlight, in book order.
    QList<Study::Entry> entries() const;

    void setBookmark(const VerseReference &place, const QString &label);
    void setNote(const VerseReference &place, const QString &text);
    void setHighlight(const QList<VerseReference> &places, int colour);
    // Removes the verse's bookmark and note in one step; the highlight stays.
    void removeBookmarkAndNote(const VerseReference &place);
    // Writes an entry back exactly as it was read (the undo of a removal).
    void restore(const Study::Entry &entry);
    // Adds what the store lacks, in one transaction: all or nothing.
    Study::MergeCounts merge(const QList<Study::Entry> &entries);

signals:
    void changed();

private:
    class Transaction;
    void fail(const QString &what, const QString &detail) const;
    void writeEntry(const Study::Entry &entry);

    QString m_connection;
    QString m_path;
};
