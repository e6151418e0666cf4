#pragma once
// Where the user is in the result list, held by full path: a refresh of the same search puts
// the selection, the focused row and the scroll position back on the same entries, wherever
// the new results place them. Entries that are gone simply drop out.

#include <optional>
#include <string>
#include <unordered_set>

#include "core/entry_list.h"

class QTableView;

namespace quillory::app {

class ViewSelection;

struct ListPlace {
    std::unordered_set<std::string> selected;
    std::optional<std::string> focused;
    std::optional<std::string> top;  // the first row in view
    int scrolled = 0;                // the scroll bar, for when the top row is gone
};

ListPlace RememberListPlace(const QTableView& view, const ViewSelection& selection, const EntryList& results);
void RestoreListPlace(const ListPlace& place, QTableView& view, ViewSelection& selection, const EntryList& results);

}  // namespace quillory::app
