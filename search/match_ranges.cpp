#include "search/match_ranges.h"

#include <algorithm>
#include <string>

#include "platform/text.h"
#include "search/char_boundary.h"
#include "search/name_matching.h"

namespace quillory {

namespace {

// The literal runs of a matching wildcard term, placed as the matcher places them: a run that
// follows a star at its first occurrence, the last run after a star at the subject's end, any
// other run right where the match has got to.
void AddPatternRuns(std::string_view subject, const CompiledTerm& term, std::vector<ByteRange>& ranges) {
    size_t pos = 0;
    bool afterStar = false;
    for (size_t i = 0; i < term.tokens.size(); ++i) {
        const CompiledTerm::Token& token = term.tokens[i];
        switch (token.kind) {
            case CompiledTerm::TokenKind::Star:
                afterStar = true;
                continue;
            case CompiledTerm::TokenKind::Question:
                if (pos < subject.size()) pos += std::max<size_t>(CharLengthAt(subject, pos), 1);
                break;
            case CompiledTerm::TokenKind::Literal: {
                const size_t length = token.text.size();
                size_t at = pos;
                if (afterStar && i + 1 == term.tokens.size()) {
                    if (subject.size() < pos + length) return;
                    at = subject.size() - length;
                } else if (afterStar) {
                    at = FindAligned(subject, token.text, pos, token.valid);
                }
                // The subject was matched with a dot appended ('*.*' and 'Makefile').
                if (at == std::string_view::npos || at + length > subject.size()) return;
                ranges.push_back({at, at + length});
                pos = at + length;
                break;
            }
        }
        afterStar = false;
    }
}

}  // namespace

std::vector<ByteRange> MatchRanges(std::string_view subject, const TWordList& words,
                                   const TSearchOptions& options) {
    std::string upper;
    if (!options.CaseSensitive) {
        text::AppendUpperCase(subject, upper);
        if (upper.size() != subject.size()) return {};
        subject = upper;
    }
    const QueryMatcher matcher(words, options);
    std::string scratch;
    if (!matcher.MatchesPrepared(subject, scratch)) return {};
    std::vector<ByteRange> ranges;
    for (size_t i = 0; i < matcher.TermCount(); ++i) {
        const CompiledTerm& term = matcher.Term(i);
        if (term.op == TTermOperator::opAndNot || !matcher.TermMatches(i, subject, scratch)) continue;
        if (term.pattern) {
            AddPatternRuns(subject, term, ranges);
        } else if (options.WholeWords) {
            const size_t at = FindWholeWord(term.text, subject);
            if (at > 0) ranges.push_back({at - 1, at - 1 + term.text.size()});
        } else {
            for (size_t at = FindAligned(subject, term.text, 0, term.valid); at != std::string_view::npos;
                 at = FindAligned(subject, term.text, at + term.text.size(), term.valid)) {
                ranges.push_back({at, at + term.text.size()});
            }
        }
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.begin < b.begin; });
    std::vector<ByteRange> joined;
    for (const ByteRange& range : ranges) {
        if (!joined.empty() && range.begin <= joined.back().end) {
            joined.back().end = std::max(joined.back().end, range.end);
        } else {
            joined.push_back(range);
        }
    }
    return joined;
}

}  // namespace quillory
