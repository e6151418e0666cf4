#pragma once
// Whether one subject (a name or a full path) satisfies the parsed query. Three matchers: the
// anchored wildcard pattern, the word-bounded occurrence and the plain substring; which one a
// term uses is decided once, when it is parsed. All comparisons are byte comparisons of texts
// that were upper-cased beforehand when the search is not case-sensitive; "a character" is
// one UTF-8 code point, and an occurrence counts only when it starts and ends on character
// boundaries.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "search/search_options.h"
#include "search/word_list.h"

namespace quillory {

// A character whose upper- and lower-case forms are equal and that is not a digit 0-9 (blanks,
// punctuation, `_`, `-`, `.`, `/`, uncased scripts, and bytes that are not valid UTF-8, -1).
bool IsWordDelimiter(int32_t codePoint);

// True when the term contains `*` or `?`, or when its first dot is neither its first nor its
// last character ('readme.txt'); such a term must match the whole subject.
bool IsPatternTerm(std::string_view term);

// Anchored match of `*` (any run) and `?` (one character). Every literal run is taken at its
// first possible occurrence and nothing is ever retried, so the cost is linear; a subject
// without a dot gets one appended when the pattern has one ('*.*' matches 'Makefile').
bool WildcardMatch(std::string_view subject, std::string_view pattern);

// 1-based byte position of the first occurrence of `term` in `text` that neither follows nor
// is followed by a word character; 0 when there is none.
size_t FindWholeWord(std::string_view term, std::string_view text);

// Byte position of the first occurrence of `term` at or after `from` that lies on character
// boundaries, or npos. `termIsValid` (the term is valid UTF-8) lets the boundary checks go,
// because such an occurrence always lies on boundaries.
size_t FindAligned(std::string_view text, std::string_view term, size_t from, bool termIsValid);

// A term prepared for matching many subjects.
struct CompiledTerm {
    enum class TokenKind : uint8_t { Literal, Star, Question };
    struct Token {
        TokenKind kind;
        std::string_view text;  // literal runs only; points into `text`
        bool valid;             // the run is valid UTF-8
    };

    std::string text;
    TTermOperator op = TTermOperator::opOr;
    bool pattern = false;
    bool valid = true;  // the term is valid UTF-8
    bool patternHasDot = false;
    std::vector<Token> tokens;  // pattern terms only

    CompiledTerm() = default;
    CompiledTerm(std::string_view term, TTermOperator op, bool pattern);
    CompiledTerm(const CompiledTerm& other) { *this = other; }
    CompiledTerm& operator=(const CompiledTerm& other);
};

// The query prepared once per search: the terms compiled, the options that act on matching
// captured. Matching needs a scratch buffer (the subject upper-cased, or with a dot
// appended); each thread passes its own, so a search allocates nothing per subject.
class QueryMatcher {
  public:
    QueryMatcher(const TWordList& words, const TSearchOptions& options);

    // The whole test of one subject as given; it is upper-cased first unless the search is
    // case-sensitive.
    bool Matches(std::string_view subject, std::string& scratch) const;
    // The same for a subject that is already in the compared case.
    bool MatchesPrepared(std::string_view subject, std::string& scratch) const;
    // One term's result m(i) for a prepared subject.
    bool TermMatches(size_t index, std::string_view subject, std::string& scratch) const;

    // Combines the terms' results m(i) = termResult(i) under the query's operators: the first
    // true term decides in any-term mode; otherwise every term is evaluated, strictly left to
    // right with no precedence and no short cut.
    template <class TermResult>
    bool Combine(TermResult&& termResult) const {
        if (terms_.empty()) return true;
        if (anyTermMode_) {
            for (size_t i = 0; i < terms_.size(); ++i) {
                if (termResult(i)) return true;
            }
            return false;
        }
        bool accumulator = false;
        for (size_t i = 0; i < terms_.size(); ++i) {
            const bool m = termResult(i);
            switch (terms_[i].op) {
                case TTermOperator::opOr:
                    accumulator = i == 0 ? m : (accumulator || m);
                    break;
                case TTermOperator::opAnd:
                    accumulator = i == 0 ? m : (accumulator && m);
                    break;
                case TTermOperator::opAndNot:
                    accumulator = i == 0 ? !m : (accumulator && !m);
                    break;
            }
        }
        return accumulator;
    }

    size_t TermCount() const { return terms_.size(); }
    const CompiledTerm& Term(size_t index) const { return terms_[index]; }
    bool AnyTermMode() const { return anyTermMode_; }
    bool CaseSensitive() const { return caseSensitive_; }
    bool WholeWords() const { return wholeWords_; }

  private:
    std::vector<CompiledTerm> terms_;
    bool anyTermMode_;
    bool caseSensitive_;
    bool wholeWords_;
};

bool WildcardMatchCompiled(std::string_view subject, const CompiledTerm& pattern, std::string& scratch);

// The whole test of one subject against the parsed query with the captured options.
bool MatchesQuery(std::string_view subject, const TWordList& words, const TSearchOptions& options);

}  // namespace quillory
