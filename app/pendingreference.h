// The hand-off to the next reader window.
//
// The main window owns one ReaderHandOff. A window that wants a reader at a
// particular place asks through OpenBookRequest; the main window answers
// every request at once with a reader of its own, so requests that come
// fast are never merged into one. The reader takes its place as an argument
// of its constructor; PendingReference only records the last place asked
// for.
#pragma once

#include <QObject>
#include <QStringList>
#include <QtGlobal>

class QWidget;

struct VerseReference
{
    qint32 Book = 0;
    qint32 Chapter = 0;
    qint32 Verse = 0;
    // A reader opened from a search result marks its verse and highlights
    // the keywords as the search found them.
    bool MarkVerse = false;
    QStringList Words = {};
    bool MatchCase = false;
    bool WholeWords = false;
};

class ReaderHandOff : public QObject
{
    Q_OBJECT
public:
    explicit ReaderHandOff(QObject *parent = nullptr);

    // The place the last request named (Genesis 1:1 before the first).
    const VerseReference &PendingReference() const { return m_pendingReference; }

    // The hand-off of the main window a child window lives in, or null for
    // a window shown on its own.
    static ReaderHandOff *of(const QWidget *widget);

public slots:
    // Asks for a new reader at place; every request opens its own reader.
    void OpenBookRequest(const VerseReference &place);

signals:
    void openBook(const VerseReference &place);

private:
    VerseReference m_pendingReference{1, 1, 1};
};
