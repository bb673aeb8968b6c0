#include "pendingreference.h"

#include <QWidget>

ReaderHandOff::ReaderHandOff(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("ReaderHandOff"));
}

ReaderHandOff *ReaderHandOff::of(const QWidget *widget)
{
    for (const QWidget *at = widget; at; at = at->parentWidget()) {
        if (auto *handOff = at->findChild<ReaderHandOff *>(QString(), Qt::FindDirectChildrenOnly))
            return handOff;
    }
    return nullptr;
}

void ReaderHandOff::OpenBookRequest(const VerseReference &place)
{
    m_pendingReference = place;
    emit openBook(place);
}
