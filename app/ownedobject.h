// The objects a main window owns for its windows (its client area, its
// reader hand-off) are its direct children: a window finds its owner's by
// looking at each of its ancestors in turn, with no global to reach for.
#pragma once

#include <QWidget>

template <typename T> T *ownedObjectOf(const QWidget *widget)
{
    for (const QWidget *at = widget; at; at = at->parentWidget()) {
        if (auto *found = at->findChild<T *>(QString(), Qt::FindDirectChildrenOnly))
            return found;
    }
    return nullptr;
}
