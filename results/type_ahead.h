#pragma once
// Type-ahead in the result list: letters and digits typed within 500 ms of each other build
// a text, and the focus moves to the next result whose name starts with it.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/entry_list.h"
#include "platform/clock.h"
#include "results/collation.h"
#include "results/result_selection.h"

namespace quillory {

// The type-ahead state: the typed text and the tick of the last accepted key.
struct TFLFind {
    std::string Text;
    int64_t Tick = 0;
};

inline constexpr int64_t kTypeAheadPauseMs = 500;

// Moves the focus to the first result after the focused row (or from the top when no row
// has the focus), wrapping, whose name begins with `typed`, ignoring case. The focused row
// itself is never compared. On a match a single selected row is deselected (several: all
// are), and the match is made visible, focused and selected; otherwise nothing changes.
// `ignoreCase` is the secondary-strength collation of the user's locale.
void FindTyped(std::string_view typed, const EntryList& results, ResultSelection& selection,
               const Collation& ignoreCase);

class TypeAhead {
  public:
    explicit TypeAhead(Collation ignoreCase, TickSource ticks = SteadyTickCount);

    // A character typed in the list. A key that is not a digit and has no distinct upper and
    // lower forms is ignored. Within 500 ms of the last accepted key it extends the typed
    // text, otherwise it starts a new one; then FindTyped runs.
    void KeyTyped(char32_t key, const EntryList& results, ResultSelection& selection);

    const TFLFind& State() const { return find_; }

  private:
    Collation ignoreCase_;
    TickSource ticks_;
    TFLFind find_;
};

}  // namespace quillory
