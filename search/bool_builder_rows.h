#pragma once
// The row logic of the Boolean expression builder: four rows of an operator (item index 0 OR,
// 1 AND, 2 AND NOT) and a text, filled from a copy of the parsed query and written back as a
// search text in the query syntax.

#include <array>
#include <string>

#include "search/word_list.h"

namespace quillory {

inline constexpr size_t kBuilderRowCount = 4;

struct TBoolRows {
    std::array<int, kBuilderRowCount> OperatorIndex{};
    std::array<std::string, kBuilderRowCount> Texts;
};

// Every operator OR, every text empty.
void ResetRows(TBoolRows& rows);

// The first four terms of `words` with their operators; the other rows reset.
void FillRows(const TWordList& words, TBoolRows& rows);

// Writes the rows over terms 1 to 4 (an operator index outside 0 to 2 counts as OR), raises
// the term count to 4 at least, then removes every empty term, closing the gaps. Terms beyond
// the fourth stay as they were.
void CollectRows(const TBoolRows& rows, TWordList& words);

// The search text: a term is quoted when its operator is not OR or it holds a blank; AND
// terms get a leading "+", AND NOT terms a "-"; terms are joined by single blanks.
std::string BuildText(const TWordList& words);

}  // namespace quillory
