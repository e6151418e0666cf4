#pragma once
// The search box's list of recent search texts: most recent first, at most 20, no two equal
// (exact comparison). Kept in the settings as one CR LF text.

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

inline constexpr size_t kMaxSearchHistory = 20;

class TSearchHistory {
  public:
    // Moves `text` to the top (removing an equal older item) and drops items beyond 20. An
    // empty text is remembered like any other.
    void RememberSearchText(std::string_view text);

    const std::vector<std::string>& Items() const { return items_; }

    // The settings form: each item followed by CR LF. Reading keeps the stored order and
    // at most 20 items.
    std::string Text() const;
    void SetText(std::string_view text);

  private:
    std::vector<std::string> items_;
};

}  // namespace quillory
