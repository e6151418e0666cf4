#include "search/search_plan.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "search/byte_search.h"

namespace quillory {

namespace {

std::string_view TermLiteral(const CompiledTerm& term) {
    if (!term.pattern) return term.text;
    std::string_view best;
    for (const CompiledTerm::Token& token : term.tokens) {
        if (token.kind != CompiledTerm::TokenKind::Literal) continue;
        std::string_view run = token.text;
        while (!run.empty()) {
            const size_t dot = run.find('.');
            const std::string_view piece = run.substr(0, dot);
            if (piece.size() > best.size()) best = piece;
            if (dot == std::string_view::npos) break;
            run.remove_prefix(dot + 1);
        }
    }
    return best;
}

// The terms whose result must be true for the whole query to be true.
std::vector<size_t> RequiredTerms(const QueryMatcher& matcher) {
    std::vector<size_t> required;
    const size_t count = matcher.TermCount();
    if (count == 0) return required;
    if (matcher.AnyTermMode()) {
        if (count == 1) required.push_back(0);
        return required;
    }
    // The result is the accumulator after the last term. Walking back: after an AND term
    // both that term and the accumulator before it must be true; after an AND NOT term the
    // accumulator before it must be; an OR term ends what can be concluded.
    for (size_t i = count; i-- > 0;) {
        const TTermOperator op = matcher.Term(i).op;
        if (i == 0) {
            if (op == TTermOperator::opOr || op == TTermOperator::opAnd) required.push_back(0);
            break;
        }
        if (op == TTermOperator::opAnd) {
            required.push_back(i);
        } else if (op != TTermOperator::opAndNot) {
            break;
        }
    }
    return required;
}

// A one-term query that a name's text decides by itself (see SearchPlan::nameRule). A pattern's
// subject gains a final dot when the pattern holds one and the name none; a deciding text that
// does not end with a dot cannot meet that dot, so the name as it is decides.
void ChooseNameRule(const QueryMatcher& matcher, SearchPlan& plan) {
    if (matcher.TermCount() != 1 || matcher.WholeWords() || plan.requiredLiterals.size() != 1) return;
    const CompiledTerm& term = matcher.Term(0);
    if (!term.valid) return;
    if (!term.pattern) {
        plan.nameRule = SearchPlan::NameRule::Holds;
        return;
    }
    using Kind = CompiledTerm::TokenKind;
    const auto& tokens = term.tokens;
    if (tokens.size() != 2) return;
    const bool endsWith = tokens[0].kind == Kind::Star && tokens[1].kind == Kind::Literal;
    const bool startsWith = tokens[0].kind == Kind::Literal && tokens[1].kind == Kind::Star;
    const std::string_view text = tokens[endsWith ? 1 : 0].text;
    if ((!endsWith && !startsWith) || text.empty() || text.back() == '.') return;
    plan.nameRule = endsWith ? SearchPlan::NameRule::EndsWith : SearchPlan::NameRule::StartsWith;
    plan.decidingText = text;
}

}  // namespace

SearchPlan MakeSearchPlan(const QueryMatcher& matcher) {
    SearchPlan plan;
    for (const size_t i : RequiredTerms(matcher)) {
        const std::string_view literal = TermLiteral(matcher.Term(i));
        if (!literal.empty()) plan.requiredLiterals.emplace_back(literal);
    }
    std::stable_sort(plan.requiredLiterals.begin(), plan.requiredLiterals.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    if (!plan.requiredLiterals.empty()) plan.requiredLiteral = plan.requiredLiterals.front();
    ChooseNameRule(matcher, plan);
    plan.splitsAtFolder = true;
    for (size_t i = 0; i < matcher.TermCount(); ++i) {
        const CompiledTerm& term = matcher.Term(i);
        if (term.pattern || term.text.find('/') != std::string::npos) plan.splitsAtFolder = false;
    }
    return plan;
}

std::string_view NameTextNeeded(std::string_view casedFolder, std::string_view literal) {
    if (literal.empty() || FindBytes(casedFolder.data(), casedFolder.size(), literal) != nullptr) return {};
    const size_t last = literal.rfind('/');
    if (last == std::string_view::npos) return literal;
    if (casedFolder.ends_with(literal.substr(0, last + 1))) return {};
    for (size_t slash = literal.find('/'); slash < last; slash = literal.find('/', slash + 1)) {
        if (casedFolder.ends_with(literal.substr(0, slash + 1))) return kSeparatorText;
    }
    return literal;
}

void ChooseRarestLiteral(SearchPlan& plan, std::string_view names) {
    if (plan.requiredLiterals.size() < 2) return;
    constexpr size_t kSampleBytes = 256 * 1024;
    const std::string_view sample = names.substr(0, kSampleBytes);
    size_t fewest = SIZE_MAX;
    for (const std::string& literal : plan.requiredLiterals) {
        size_t hits = 0;
        const char* p = sample.data();
        const char* end = p + sample.size();
        while (const char* hit = FindBytes(p, static_cast<size_t>(end - p), literal)) {
            ++hits;
            p = hit + literal.size();
        }
        if (hits < fewest) {
            fewest = hits;
            plan.requiredLiteral = literal;
        }
    }
}

}  // namespace quillory
