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
    // How a name in which requiredLiteral was found is decided without testing the terms: the
    // query is one term, not of whole words and of valid text, and that term is the literal
    // itself (Holds), a star followed by decidingText (EndsWith), or decidingText followed by
    // a star (StartsWith); decidingText never ends with the dot a pattern may append.
    enum class NameRule { Terms, Holds, EndsWith, StartsWith };
    NameRule nameRule = NameRule::Terms;
    std::string decidingText;
};

// Whether a name (in the compared case) that holds plan.requiredLiteral matches, for a plan
// whose nameRule is not Terms.
inline bool NameMatchesByRule(const SearchPlan& plan, std::string_view name) {
    switch (plan.nameRule) {
        case SearchPlan::NameRule::EndsWith:
            return name.ends_with(plan.decidingText);
        case SearchPlan::NameRule::StartsWith:
            return name.starts_with(plan.decidingText);
        default:
            return true;
    }
}

SearchPlan MakeSearchPlan(const QueryMatcher& matcher);

// For a full-path search: a text that the name of an entry of the folder `casedFolder` (the
// folder in the compared case, ending with "/" or empty) must hold for the entry's full path to
// hold `literal`, or an empty view when the folder alone may be enough. The full path is the
// folder followed by the name, so an occurrence that begins in the folder and ends in the name
// has a folder part that ends with the folder's final "/": when no "/" of the literal closes a
// suffix of the folder, the name must hold the whole literal; when only a "/" before its last
// one does, the rest of the literal, and so the name, holds a "/".
// The "/" it may return has one form in every case.
std::string_view NameTextNeeded(std::string_view casedFolder, std::string_view literal);
inline constexpr std::string_view kSeparatorText = "/";

// Makes the rarest required text in a sample of `names` (the start of a name buffer) the one
// the search scans for.
void ChooseRarestLiteral(SearchPlan& plan, std::string_view names);

}  // namespace quillory
