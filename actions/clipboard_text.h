#pragma once
// What the clipboard commands of the result list put on the clipboard. The window hands the
// text or the paths to the desktop clipboard; the rules live here.

#include <string>
#include <vector>

#include "core/entry_list.h"
#include "results/result_selection.h"

namespace quillory {

// "Copy shortcuts": the full path of every selected row in list order, each followed by the
// platform's line end ("\n"). The rows are deselected and the focused row (if any) selected,
// so afterwards only the focused row is selected; the list is repainted.
std::string CopySelectedPaths(const EntryList& results, ResultSelection& selection);

// "Copy files": the full paths of the selected rows in list order (none: nothing to copy).
std::vector<std::string> SelectedFullPaths(const EntryList& results, const ResultSelection& selection);

// Ctrl+C in the list: the focused row's full path alone, without a line end; empty when no
// row has the focus.
std::string FocusedFullPath(const EntryList& results, const ResultSelection& selection);

}  // namespace quillory
