#include "readerhistory.h"

namespace {
void push(QList<ReaderPlace> &steps, const ReaderPlace &place)
{
    steps.append(place);
    if (steps.size() > ReaderHistory::MaxSteps)
        steps.removeFirst();
}
} // namespace

void ReaderHistory::recordJump(const ReaderPlace &from)
{
    push(m_back, from);
    m_forward.clear();
}

ReaderPlace ReaderHistory::goBack(const ReaderPlace &current)
{
    const ReaderPlace place = m_back.takeLast();
    push(m_forward, current);
    return place;
}

ReaderPlace ReaderHistory::goForward(const ReaderPlace &current)
{
    const ReaderPlace place = m_forward.takeLast();
    push(m_back, current);
    return place;
}
