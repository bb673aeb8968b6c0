#include "pendingreference.h"

#include "app/ownedobject.h"

ReaderHandOff::ReaderHandOff(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("ReaderHandOff"));
}

ReaderHandOff *ReaderHandOff::of(const QWidget *widget)
{
    return ownedObjectOf<ReaderHandOff>(widget);
}

void ReaderHandOff::OpenBookRequest(const VerseReference &place)
{
    m_pendingReference = place;
    emit openBook(place);
}
