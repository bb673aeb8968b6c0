// The verses of each chapter as Verses.db counts them, for checking a typed
// reference. A table that cannot be read counts nothing (0): the check is
// then left to the reader that shows the place.
#pragma once

#include <memory>

class Table;

class VerseCounts
{
public:
    VerseCounts();
    ~VerseCounts();
    int operator()(int book, int chapter);

private:
    std::unique_ptr<Table> m_table;
};
