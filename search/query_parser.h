#pragma once
// The search text's syntax: terms separated by blanks, commas or semicolons; double quotes
// keep separators inside a term; +"..." marks a term AND, -"..." marks it AND NOT.

#include <string_view>

#include "search/word_list.h"

namespace quillory {

// Rebuilds `words` from `text`. Unless `raw` is true or the search is case-sensitive, the
// text is upper-cased first, so terms compare with upper-cased subjects. A term whose closing
// quote is missing is dropped, empty terms are not stored, and at most 200 terms are kept;
// no text is an error.
void ParseQuery(std::string_view text, bool caseSensitive, bool raw, TWordList& words);

}  // namespace quillory
