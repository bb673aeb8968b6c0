// The study marks of one reader window: highlights laid behind the verse
// text as its background (so that they print, save and copy along), a mark
// in the margin beside the number of a bookmarked verse or one with a note,
// and the marks of the verse under the caret told to a screen reader.
#pragma once

#include "study/studystore.h"

#include <QHash>
#include <QObject>

class QColor;
class TFormBook;

class ReaderMarks : public QObject
{
    Q_OBJECT
public:
    ReaderMarks(TFormBook *reader, StudyStore *store);

    // The background of a highlight in a reader whose text shows in
    // textColor: the light or the dark shade, whichever the text stands
    // out from more, so that every colour scheme stays readable.
    static QColor highlightColour(int colour, const QColor &textColor);
    // What a screen reader hears about a verse: "bookmarked", "note: ...".
    static QString describe(const Study::Entry &entry);

    // Reads the chapter's marks again and lays the highlights anew.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followCaption();
    void applyHighlights();
    void paintMarks();

    TFormBook *m_reader;
    StudyStore *m_store;
    QHash<int, Study::Entry> m_marks;
    qint64 m_chapterKey = -1;
};
