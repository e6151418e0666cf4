#include "search/query_parser.h"

#include <string>

#include "platform/text.h"
#include "search/name_matching.h"

namespace quillory {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == ',' || c == ';';
}

}  // namespace

void ParseQuery(std::string_view text, bool caseSensitive, bool raw, TWordList& words) {
    words.TermCount = 0;
    words.AnyTermMode = true;

    // The appended blank ends every unquoted term at a separator. Separators, quotes and
    // signs are ASCII, so scanning bytes never splits a multi-byte character.
    std::string t;
    t.reserve(text.size() + 1);
    if (raw || caseSensitive) {
        t.append(text);
    } else {
        text::AppendUpperCase(text, t);
    }
    t.push_back(' ');

    size_t pos = 0;
    const size_t size = t.size();
    auto skipSeparators = [&] {
        while (pos < size && IsSeparator(t[pos])) ++pos;
    };
    skipSeparators();
    while (pos < size) {
        if (words.TermCount == kMaxTerms) break;
        TTermOperator marker = TTermOperator::opOr;
        bool marked = false;
        if (pos + 1 < size && t[pos + 1] == '"' && (t[pos] == '+' || t[pos] == '-')) {
            marker = t[pos] == '+' ? TTermOperator::opAnd : TTermOperator::opAndNot;
            marked = true;
            ++pos;
        }
        std::string_view term;
        if (t[pos] == '"') {
            const size_t close = t.find('"', pos + 1);
            if (close == std::string::npos) break;  // the unfinished term is dropped
            term = std::string_view(t).substr(pos + 1, close - pos - 1);
            pos = close + 1;
        } else {
            const size_t start = pos;
            while (pos < size && !IsSeparator(t[pos])) ++pos;
            term = std::string_view(t).substr(start, pos - start);
        }
        if (!term.empty()) {
            const size_t slot = words.TermCount++;
            words.Terms[slot].assign(term);
            words.Operators[slot] = marker;
            words.PatternFlags[slot] = IsPatternTerm(term);
            if (marked) words.AnyTermMode = false;
        }
        skipSeparators();
    }
}

}  // namespace quillory
