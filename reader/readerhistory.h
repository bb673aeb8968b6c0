// Back and Forward of one reader: every place the person jumps away from
// is a step back; going back makes the place left a step forward, and a new
// jump forgets the steps forward, as a web browser does.
#pragma once

#include <QList>
#include <QtGlobal>

struct ReaderPlace
{
    qint32 Book = 0;
    qint32 Chapter = 0;
    qint32 Verse = 0;

    bool operator==(const ReaderPlace &other) const
    {
        return Book == other.Book && Chapter == other.Chapter && Verse == other.Verse;
    }
    bool operator!=(const ReaderPlace &other) const { return !(*this == other); }
};

class ReaderHistory
{
public:
    // Steps kept each way: a day of jumping must not grow without end.
    static constexpr int MaxSteps = 100;

    // A jump from a place: it becomes the latest step back.
    void recordJump(const ReaderPlace &from);
    bool canGoBack() const { return !m_back.isEmpty(); }
    bool canGoForward() const { return !m_forward.isEmpty(); }
    // The place to show; current becomes the step the other way. Only
    // called when there is a step that way.
    ReaderPlace goBack(const ReaderPlace &current);
    ReaderPlace goForward(const ReaderPlace &current);

private:
    QList<ReaderPlace> m_back;
    QList<ReaderPlace> m_forward;
};
