// The 66 books as the reader lists them: list position + 1 is the book
// number used by every table.
#pragma once

#include <QStringList>

namespace BookCatalogue {
constexpr int BookCount = 66;
const QStringList &names();
} // namespace BookCatalogue
