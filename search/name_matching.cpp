#include "search/name_matching.h"

#include <cstring>

#include "platform/text.h"
#include "search/char_boundary.h"

namespace quillory {

bool IsWordDelimiter(int32_t codePoint) {
    if (codePoint < 0) return true;  // an invalid byte is left alone by both case mappings
    if (codePoint < 0x80) {
        const char c = static_cast<char>(codePoint);
        return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
    }
    const auto cp = static_cast<char32_t>(codePoint);
    return text::UpperCodePoint(cp) == text::LowerCodePoint(cp);
}

bool IsPatternTerm(std::string_view term) {
    if (term.find_first_of("*?") != std::string_view::npos) return true;
    const size_t dot = term.find('.');
    return dot != std::string_view::npos && dot > 0 && dot + 1 < term.size();
}

size_t FindAligned(std::string_view text, std::string_view term, size_t from, bool termIsValid) {
    if (from > text.size()) return std::string_view::npos;
    if (term.empty()) return from;
    while (from + term.size() <= text.size()) {
        const void* hit = memmem(text.data() + from, text.size() - from, term.data(), term.size());
        if (hit == nullptr) return std::string_view::npos;
        const size_t pos = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
        if (termIsValid || (IsCharBoundary(text, pos) && IsCharBoundary(text, pos + term.size()))) return pos;
        from = pos + 1;
    }
    return std::string_view::npos;
}

namespace {

size_t FindWholeWordImpl(std::string_view term, std::string_view text, bool termIsValid) {
    size_t from = 0;
    for (;;) {
        const size_t pos = FindAligned(text, term, from, termIsValid);
        if (pos == std::string_view::npos) return 0;
        const size_t end = pos + term.size();
        if ((pos == 0 || IsWordDelimiter(CodePointBefore(text, pos))) &&
            (end >= text.size() || IsWordDelimiter(CodePointAt(text, end)))) {
            return pos + 1;
        }
        from = pos + 1;
    }
}

bool StartsWithAligned(std::string_view rest, std::string_view run, bool runIsValid) {
    return rest.size() >= run.size() && std::memcmp(rest.data(), run.data(), run.size()) == 0 &&
           (runIsValid || IsCharBoundary(rest, run.size()));
}

}  // namespace

size_t FindWholeWord(std::string_view term, std::string_view text) {
    return FindWholeWordImpl(term, text, text::IsValidUtf8(term));
}

CompiledTerm::CompiledTerm(std::string_view term, TTermOperator op_, bool pattern_)
    : text(term), op(op_), pattern(pattern_), valid(text::IsValidUtf8(term)) {
    if (!pattern) return;
    patternHasDot = text.find('.') != std::string::npos;
    const std::string_view t = text;
    size_t runStart = 0;
    auto closeRun = [&](size_t end) {
        if (end > runStart) {
            const std::string_view run = t.substr(runStart, end - runStart);
            tokens.push_back({TokenKind::Literal, run, text::IsValidUtf8(run)});
        }
    };
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '*' || t[i] == '?') {
            closeRun(i);
            tokens.push_back({t[i] == '*' ? TokenKind::Star : TokenKind::Question, {}, true});
            runStart = i + 1;
        }
    }
    closeRun(t.size());
}

CompiledTerm& CompiledTerm::operator=(const CompiledTerm& other) {
    if (this == &other) return *this;
    text = other.text;
    op = other.op;
    pattern = other.pattern;
    valid = other.valid;
    patternHasDot = other.patternHasDot;
    // The literal views must point into this copy's text.
    tokens = other.tokens;
    for (Token& token : tokens) {
        if (token.kind == TokenKind::Literal) {
            token.text = std::string_view(text).substr(
                static_cast<size_t>(token.text.data() - other.text.data()), token.text.size());
        }
    }
    return *this;
}

bool WildcardMatchCompiled(std::string_view subject, const CompiledTerm& pattern, std::string& scratch) {
    std::string_view rest = subject;
    if (pattern.patternHasDot && std::memchr(subject.data(), '.', subject.size()) == nullptr) {
        scratch.assign(subject);
        scratch.push_back('.');
        rest = scratch;
    }
    // `pending` is the literal run read since the last wildcard; runs are whole tokens, and
    // rest only changes at wildcards, so testing for an empty rest once per token is the same
    // as testing it before every pattern character.
    const CompiledTerm::Token* pending = nullptr;
    bool afterStar = false;
    for (const CompiledTerm::Token& token : pattern.tokens) {
        if (rest.empty()) return false;
        if (token.kind == CompiledTerm::TokenKind::Literal) {
            pending = &token;
            continue;
        }
        if (pending != nullptr) {
            if (afterStar) {
                const size_t pos = FindAligned(rest, pending->text, 0, pending->valid);
                if (pos == std::string_view::npos) return false;
                rest.remove_prefix(pos + pending->text.size());
            } else {
                if (!StartsWithAligned(rest, pending->text, pending->valid)) return false;
                rest.remove_prefix(pending->text.size());
            }
            pending = nullptr;
            afterStar = false;
        }
        if (token.kind == CompiledTerm::TokenKind::Question) {
            if (!rest.empty()) rest.remove_prefix(CharLengthAt(rest, 0));
        } else {
            afterStar = true;
        }
    }
    if (pending == nullptr) return true;
    const std::string_view run = pending->text;
    if (run.size() > rest.size()) return false;
    if (!afterStar) return rest == run;
    const size_t start = rest.size() - run.size();
    return std::memcmp(rest.data() + start, run.data(), run.size()) == 0 &&
           (pending->valid || IsCharBoundary(rest, start));
}

bool WildcardMatch(std::string_view subject, std::string_view pattern) {
    const CompiledTerm compiled(pattern, TTermOperator::opOr, true);
    std::string scratch;
    return WildcardMatchCompiled(subject, compiled, scratch);
}

QueryMatcher::QueryMatcher(const TWordList& words, const TSearchOptions& options)
    : anyTermMode_(words.AnyTermMode),
      caseSensitive_(options.CaseSensitive),
      wholeWords_(options.WholeWords) {
    terms_.reserve(words.TermCount);
    for (size_t i = 0; i < words.TermCount && i < kMaxTerms; ++i) {
        terms_.emplace_back(words.Terms[i], words.Operators[i], words.PatternFlags[i]);
    }
}

bool QueryMatcher::TermMatches(size_t index, std::string_view subject, std::string& scratch) const {
    const CompiledTerm& term = terms_[index];
    if (term.pattern) return WildcardMatchCompiled(subject, term, scratch);
    if (wholeWords_) return FindWholeWordImpl(term.text, subject, term.valid) > 0;
    return FindAligned(subject, term.text, 0, term.valid) != std::string_view::npos;
}

bool QueryMatcher::MatchesPrepared(std::string_view subject, std::string& scratch) const {
    return Combine([&](size_t i) { return TermMatches(i, subject, scratch); });
}

bool QueryMatcher::Matches(std::string_view subject, std::string& scratch) const {
    if (terms_.empty()) return true;
    if (caseSensitive_) return MatchesPrepared(subject, scratch);
    std::string upper;
    upper.reserve(subject.size());
    text::AppendUpperCase(subject, upper);
    return MatchesPrepared(upper, scratch);
}

bool MatchesQuery(std::string_view subject, const TWordList& words, const TSearchOptions& options) {
    std::string scratch;
    return QueryMatcher(words, options).Matches(subject, scratch);
}

}  // namespace quillory
