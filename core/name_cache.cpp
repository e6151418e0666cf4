#include "core/name_cache.h"

#include <algorithm>

#include "platform/text.h"

namespace quillory {

namespace {

constexpr size_t kPrefetchAhead = 64;

}  // namespace

void AppendCaseForm(std::string& buffer, std::string_view text, bool upper) {
    const size_t old = buffer.size();
    buffer.append(text);
    if (!upper) return;
    // Most names are ASCII: upper-case them in place; anything else takes the full mapping.
    for (size_t i = old; i < buffer.size(); ++i) {
        const auto c = static_cast<unsigned char>(buffer[i]);
        if (c >= 0x80) {
            buffer.resize(old);
            text::AppendUpperCase(text, buffer);
            return;
        }
        if (c >= 'a' && c <= 'z') buffer[i] = static_cast<char>(c - 32);
    }
}

void NameCache::Update(const EntryList& catalogue) {
    if (built_ && generation_ == catalogue.Generation()) return;
    ++builds_;
    const std::span<const TMyItem> entries = catalogue.Entries();
    size_t total = 0;
    for (const TMyItem& entry : entries) total += entry.Name().size() + 1;

    names_.clear();
    names_.reserve(total + total / 16);
    starts_.clear();
    starts_.reserve(entries.size() + 1);
    folders_.clear();
    folderStarts_.clear();
    runStarts_.clear();

    const char* lastFolder = nullptr;
    size_t lastFolderSize = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TMyItem& entry = entries[i];
        starts_.push_back(names_.size());
        AppendCaseForm(names_, entry.Name(), upperCase_);
        names_.push_back('\0');
        const std::string_view folder = entry.Folder();
        if (i == 0 || folder.data() != lastFolder || folder.size() != lastFolderSize) {
            runStarts_.push_back(i);
            folderStarts_.push_back(folders_.size());
            AppendCaseForm(folders_, folder, upperCase_);
            lastFolder = folder.data();
            lastFolderSize = folder.size();
        }
    }
    starts_.push_back(names_.size());
    runStarts_.push_back(entries.size());
    folderStarts_.push_back(folders_.size());
    namesHoldSeparator_ = names_.find('/') != std::string::npos;
    generation_ = catalogue.Generation();
    built_ = true;
}

size_t NameCache::EntryAt(size_t offset, size_t hint) const {
    // Hits usually lie a few names after the previous one: count the next starts up to the
    // offset, four at a time and without a branch per start (they rise, so the count is the
    // step), over a cache line or two before galloping forward from there and halving.
    constexpr size_t kGroups = 4;
    const size_t* starts = starts_.data();
    // The next hits' starts, a few cache lines on: the scan between two hits reads only names.
    __builtin_prefetch(starts + std::min(hint + kPrefetchAhead, starts_.size() - 1));
    for (size_t k = 0; k < kGroups && hint + 4 < starts_.size(); ++k) {
        const size_t step = size_t{starts[hint + 1] <= offset} + size_t{starts[hint + 2] <= offset} +
                            size_t{starts[hint + 3] <= offset} + size_t{starts[hint + 4] <= offset};
        hint += step;
        if (step < 4) return hint;
    }
    // Near the end, one start at a time.
    while (hint + 4 >= starts_.size()) {
        if (hint + 1 >= starts_.size() || starts_[hint + 1] > offset) return hint;
        ++hint;
    }
    size_t low = hint;  // starts_[low] <= offset
    size_t step = 1;
    size_t high = hint + 1;
    while (high < starts_.size() && starts_[high] <= offset) {
        low = high;
        step *= 2;
        high = low + step;
    }
    if (high > starts_.size()) high = starts_.size();
    const auto next = std::upper_bound(starts_.begin() + static_cast<std::ptrdiff_t>(low) + 1,
                                       starts_.begin() + static_cast<std::ptrdiff_t>(high), offset);
    return static_cast<size_t>(next - starts_.begin()) - 1;
}

size_t NameCache::RunOf(size_t i) const {
    const auto next = std::upper_bound(runStarts_.begin(), runStarts_.end(), i);
    return static_cast<size_t>(next - runStarts_.begin()) - 1;
}

size_t NameCache::RunAtFolderOffset(size_t offset) const {
    const auto next = std::upper_bound(folderStarts_.begin(), folderStarts_.end(), offset);
    return static_cast<size_t>(next - folderStarts_.begin()) - 1;
}

size_t NameCache::BytesAllocated() const {
    return names_.capacity() + folders_.capacity() +
           (starts_.capacity() + folderStarts_.capacity() + runStarts_.capacity()) * sizeof(size_t);
}

}  // namespace quillory
