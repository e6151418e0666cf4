#include "results/type_ahead.h"

#include <algorithm>

#include "platform/text.h"

namespace quillory {

namespace {

// The first `count` characters of `name` (all of it when it is shorter).
std::string_view LeadingCharacters(std::string_view name, size_t count) {
    const char* p = name.data();
    const char* end = p + name.size();
    for (; count > 0 && p < end; --count) p += text::DecodeCodePoint(p, end).length;
    return name.substr(0, static_cast<size_t>(p - name.data()));
}

size_t CharacterCount(std::string_view s) {
    size_t count = 0;
    for (const char *p = s.data(), *end = p + s.size(); p < end; ++count)
        p += text::DecodeCodePoint(p, end).length;
    return count;
}

bool IsTypeAheadKey(char32_t key) {
    if (key >= U'0' && key <= U'9') return true;
    return text::LowerCodePoint(key) != text::UpperCodePoint(key);
}

}  // namespace

void FindTyped(std::string_view typed, const EntryList& results, ResultSelection& selection,
               const Collation& ignoreCase) {
    // Rows beyond the results have no name to compare.
    const size_t n = std::min(selection.ItemCount(), results.Count());
    if (n <= 1) return;
    const std::optional<size_t> focused = selection.FocusedRow();
    const size_t start = focused && *focused < n ? *focused : n - 1;
    const size_t typedCount = CharacterCount(typed);
    for (size_t i = (start + 1) % n; i != start; i = (i + 1) % n) {
        const std::string_view prefix = LeadingCharacters(results[i].Name(), typedCount);
        if (ignoreCase.Compare(prefix, typed) != 0) continue;
        const size_t selected = selection.SelectedCount();
        if (selected > 1) {
            SetAllSelected(selection, results.Count(), false);
        } else if (selected == 1) {
            for (size_t row = 0, rows = selection.ItemCount(); row < rows; ++row) {
                if (selection.IsSelected(row)) {
                    selection.SetSelected(row, false);
                    break;
                }
            }
        }
        selection.MakeVisible(i);
        selection.SetFocusedRow(i);
        selection.SetSelected(i, true);
        return;
    }
}

TypeAhead::TypeAhead(Collation ignoreCase, TickSource ticks)
    : ignoreCase_(std::move(ignoreCase)), ticks_(std::move(ticks)) {}

void TypeAhead::KeyTyped(char32_t key, const EntryList& results, ResultSelection& selection) {
    if (!IsTypeAheadKey(key)) return;
    const int64_t now = ticks_();
    const int64_t distance = now >= find_.Tick ? now - find_.Tick : find_.Tick - now;
    if (distance > kTypeAheadPauseMs) find_.Text.clear();
    text::AppendCodePoint(find_.Text, key);
    find_.Tick = now;
    FindTyped(find_.Text, results, selection, ignoreCase_);
}

}  // namespace quillory
