// The context menu of a search result: open it in a new reader, as a
// double-click does, or in the reader in use.
#pragma once

class TFormSearch;

namespace ResultMenu {
void attach(TFormSearch *form);
} // namespace ResultMenu
