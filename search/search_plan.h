#pragma once
// What a compiled query lets the search skip without changing its answer.

#include <string>
#include <string_view>
#include <vector>

#include "search/name_matching.h"

namespace quillory {

struct SearchPlan {
    // Bytes that every matching subject contains (empty: no such text is known). A term whose
    // result the query needs to be true contributes its text, or for a pattern the longest
    // piece of a literal run without a dot: the dot a pattern appends to the subject can
    // only complete a run that holds a dot.
    std::string requiredLiteral;
    // Every such text the query knows of, longest first (requiredLiteral is one of them).
    std::vector<std::string> requiredLiterals;
    // No pattern terms and no "/" in any term: with a folder text that ends with "/", a term
    // then occurs in the full path exactly when it occurs in the folder or in the name, so a
    // folder's results are computed once for all its entries.
    bool splitsAtFolder = false;
};

SearchPlan MakeSearchPlan(const QueryMatcher& matcher);

// For a full-path search: true when, in the full path of an entry of the folder `casedFolder`
// (its text in the compared case, ending with "/" or empty), `literal` can only occur inside
// the entry's own name. The full path is the folder followed by the name, so an occurrence that
// begins in the folder and ends in the name has a folder part ending with the folder's final
// "/": one of the literal's "/" must close a suffix of the folder.
bool OnlyNamesCanHold(std::string_view casedFolder, std::string_view literal);

// Makes the rarest required text in a sample of `names` (the start of a name buffer) the one
// the search scans for.
void ChooseRarestLiteral(SearchPlan& plan, std::string_view names);

}  // namespace quillory
