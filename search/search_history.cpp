#include "search/search_history.h"

#include <algorithm>

#include "core/text_lines.h"

namespace quillory {

void TSearchHistory::RememberSearchText(std::string_view text) {
    // The last equal item is the one removed; the list never holds two equal items when it is
    // changed only here, but a stored list read from the settings might.
    const auto equal = std::find(items_.rbegin(), items_.rend(), text);
    if (equal != items_.rend()) items_.erase(std::next(equal).base());
    items_.insert(items_.begin(), std::string(text));
    if (items_.size() > kMaxSearchHistory) items_.resize(kMaxSearchHistory);
}

std::string TSearchHistory::Text() const {
    return JoinLines(items_);
}

void TSearchHistory::SetText(std::string_view text) {
    items_ = SplitLines(text);
    if (items_.size() > kMaxSearchHistory) items_.resize(kMaxSearchHistory);
}

}  // namespace quillory
