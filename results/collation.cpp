#include "results/collation.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <vector>

#include "platform/error.h"
#include "platform/locale_formats.h"

namespace quillory {

struct Collation::State {
    UCollator* collator = nullptr;
    // Scratch buffers for sort keys; a Collation is used by one thread at a time.
    std::vector<UChar> utf16;
    std::vector<uint8_t> key;
    ~State() {
        if (collator) ucol_close(collator);
    }
};

namespace {

std::string IcuCollationLocale(std::string_view name) {
    const std::string_view id = name.substr(0, name.find_first_of(".@"));
    if (id.empty() || id == "C" || id == "POSIX") return "";
    return std::string(id);
}

}  // namespace

std::string CollationLocaleName() {
    return EnvironmentLocaleName("LC_COLLATE");
}

Collation Collation::ForLocale(const std::string& name, CollationStrength strength) {
    Collation collation;
    collation.locale_ = IcuCollationLocale(name);
    auto state = std::make_shared<State>();
    UErrorCode status = U_ZERO_ERROR;
    state->collator = ucol_open(collation.locale_.c_str(), &status);
    if (U_FAILURE(status) || !state->collator) {
        throw Error("Cannot open the collation for locale \"" + name + "\": " + u_errorName(status));
    }
    ucol_setStrength(state->collator,
                     strength == CollationStrength::Tertiary ? UCOL_TERTIARY : UCOL_SECONDARY);
    collation.state_ = std::move(state);
    return collation;
}

Collation Collation::FromEnvironment(CollationStrength strength) {
    return ForLocale(CollationLocaleName(), strength);
}

Collation Collation::Clone() const {
    Collation copy;
    copy.locale_ = locale_;
    auto state = std::make_shared<State>();
    UErrorCode status = U_ZERO_ERROR;
    state->collator = ucol_clone(state_->collator, &status);
    if (U_FAILURE(status) || !state->collator) {
        throw Error("Cannot copy the collation for locale \"" + locale_ + "\": " + u_errorName(status));
    }
    copy.state_ = std::move(state);
    return copy;
}

int Collation::Compare(std::string_view a, std::string_view b) const {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(state_->collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                         static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status)) return a < b ? -1 : (b < a ? 1 : 0);
    return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

void Collation::AppendSortKey(std::string_view text, std::string& out) const {
    State& s = *state_;
    // UTF-16 never needs more units than UTF-8 has bytes.
    if (s.utf16.size() < text.size() + 1) s.utf16.resize(text.size() + 1);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(s.utf16.data(), static_cast<int32_t>(s.utf16.size()), &length, text.data(),
                         static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) length = 0;
    if (s.key.size() < 64) s.key.resize(64);
    int32_t needed =
        ucol_getSortKey(s.collator, s.utf16.data(), length, s.key.data(), static_cast<int32_t>(s.key.size()));
    if (needed > static_cast<int32_t>(s.key.size())) {
        s.key.resize(static_cast<size_t>(needed));
        needed = ucol_getSortKey(s.collator, s.utf16.data(), length, s.key.data(),
                                 static_cast<int32_t>(s.key.size()));
    }
    // `needed` counts the terminating zero.
    if (needed > 1) out.append(reinterpret_cast<const char*>(s.key.data()), static_cast<size_t>(needed - 1));
}

}  // namespace quillory
