#pragma once
// The user's locale-aware text comparison: ICU collation for the locale named by LC_ALL,
// LC_COLLATE or LANG. Tertiary strength tells case apart (and orders it the locale's way);
// secondary strength ignores case. Names are UTF-8; a byte that is not valid UTF-8 compares
// as U+FFFD, so the comparison never fails.

#include <memory>
#include <string>
#include <string_view>

struct UCollator;

namespace quillory {

enum class CollationStrength {
    Tertiary,   // case matters, locale word order
    Secondary,  // case ignored
};

class Collation {
  public:
    // A locale such as "de_DE" or "en_US.UTF-8"; "C", "POSIX" and an empty name use the
    // root order (word order, not byte order, as users expect). An unknown locale falls
    // back the way ICU does (to its language, then the root).
    static Collation ForLocale(const std::string& name, CollationStrength strength);
    static Collation FromEnvironment(CollationStrength strength);

    // -1, 0 or 1.
    int Compare(std::string_view a, std::string_view b) const;

    // Appends the sort key of `text` to `out`. Keys compare with memcmp exactly as the texts
    // compare with Compare; a key never contains a zero byte except its final one, which is
    // not appended, so a key that is a prefix of another sorts first.
    void AppendSortKey(std::string_view text, std::string& out) const;

    // An independent copy for use on another thread (a Collation and its copies share one
    // ICU collator and scratch buffers, so they belong to one thread at a time).
    Collation Clone() const;

    const std::string& LocaleId() const { return locale_; }

  private:
    struct State;
    std::string locale_;
    std::shared_ptr<State> state_;
};

// The collation locale the environment selects (LC_ALL, then LC_COLLATE, then LANG).
std::string CollationLocaleName();

}  // namespace quillory
