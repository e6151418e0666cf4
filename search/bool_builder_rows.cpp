#include "search/bool_builder_rows.h"

#include <algorithm>

namespace quillory {

void ResetRows(TBoolRows& rows) {
    rows.OperatorIndex.fill(static_cast<int>(TTermOperator::opOr));
    for (std::string& text : rows.Texts) text.clear();
}

void FillRows(const TWordList& words, TBoolRows& rows) {
    ResetRows(rows);
    const size_t filled = std::min<size_t>(words.TermCount, kBuilderRowCount);
    for (size_t k = 0; k < filled; ++k) {
        rows.OperatorIndex[k] = static_cast<int>(words.Operators[k]);
        rows.Texts[k] = words.Terms[k];
    }
}

void CollectRows(const TBoolRows& rows, TWordList& words) {
    for (size_t k = 0; k < kBuilderRowCount; ++k) {
        const int index = rows.OperatorIndex[k];
        // An index outside the operator list reads as "none", the first entry.
        words.Operators[k] = index == static_cast<int>(TTermOperator::opAnd)      ? TTermOperator::opAnd
                             : index == static_cast<int>(TTermOperator::opAndNot) ? TTermOperator::opAndNot
                                                                                  : TTermOperator::opOr;
        words.Terms[k] = rows.Texts[k];
    }
    if (words.TermCount < kBuilderRowCount) words.TermCount = kBuilderRowCount;
    for (size_t k = words.TermCount; k-- > 0;) {
        if (!words.Terms[k].empty()) continue;
        for (size_t j = k; j + 1 < words.TermCount; ++j) {
            words.Terms[j].swap(words.Terms[j + 1]);
            words.Operators[j] = words.Operators[j + 1];
            words.PatternFlags[j] = words.PatternFlags[j + 1];
        }
        --words.TermCount;
    }
}

std::string BuildText(const TWordList& words) {
    std::string result;
    for (size_t k = 0; k < words.TermCount; ++k) {
        const std::string& term = words.Terms[k];
        const TTermOperator op = words.Operators[k];
        if (op == TTermOperator::opAnd) result.push_back('+');
        if (op == TTermOperator::opAndNot) result.push_back('-');
        if (op != TTermOperator::opOr || term.find(' ') != std::string::npos) {
            result.append("\"").append(term).append("\"");
        } else {
            result.append(term);
        }
        if (k + 1 < words.TermCount) result.push_back(' ');
    }
    return result;
}

}  // namespace quillory
