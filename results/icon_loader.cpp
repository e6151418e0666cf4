#include "results/icon_loader.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/text.h"

namespace quillory {

std::string_view IconExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

bool LookedUpAlone(std::string_view extension) {
    if (extension.empty()) return true;
    const std::string upper = text::UpperCase(extension);
    return upper == "EXE" || upper == "ICO";
}

bool IconLoader::RowsAnnounced(size_t first, size_t last, size_t resultCount, bool busy) {
    if (first >= resultCount || last >= resultCount) return false;
    pending_ = true;
    return busy;
}

bool IconLoader::IdlePass(EntryList& results, std::optional<size_t> topRow, size_t rowsThatFit,
                          size_t rowCount) {
    if (!pending_ || rowCount == 0) return false;
    bool looked = false;
    if (topRow && *topRow < rowCount) {
        const size_t fit = std::max<size_t>(rowsThatFit, 1);
        const size_t last = std::min(*topRow + fit - 1, rowCount - 1);
        looked = LoadIcons(results, topRow, last);
    }
    pending_ = false;
    return looked;
}

int32_t IconLoader::LookUp(const TMyItem& entry) {
    ++lookups_;
    const int32_t index =
        provider_.SystemIconIndex(EntryFullPath(entry), (entry.Attributes & kAttrDirectory) != 0);
    // An answer below 0 would leave the row to be asked again at every idle moment.
    return index < 0 ? 0 : index;
}

bool IconLoader::LoadIcons(EntryList& results, std::optional<size_t> first, size_t last) {
    if (!first) return false;
    // Keyed by the kind (folder or file) and the upper-cased extension: ".TXT" and ".txt"
    // share one look-up, while a folder "x.d" and a file "z.d" are asked apart, since the
    // desktop gives a folder its folder icon whatever its name.
    std::map<std::pair<bool, std::string>, int32_t> cache;
    bool looked = false;
    for (size_t row = *first; row <= last; ++row) {
        // The result count is read again for every row: the pending work may have shrunk it.
        if (row >= results.Count()) break;
        if (results[row].IconIndex >= 0) continue;
        looked = true;
        if (processPending_) {
            processPending_();
            if (row >= results.Count()) break;
            if (results[row].IconIndex >= 0) continue;
        }
        TMyItem& entry = results[row];
        const std::string_view ext = IconExtension(entry.Name());
        if (LookedUpAlone(ext)) {
            entry.IconIndex = LookUp(entry);
            continue;
        }
        std::pair<bool, std::string> key{(entry.Attributes & kAttrDirectory) != 0, text::UpperCase(ext)};
        if (const auto hit = cache.find(key); hit != cache.end()) {
            entry.IconIndex = hit->second;
        } else {
            entry.IconIndex = LookUp(entry);
            cache.emplace(std::move(key), entry.IconIndex);
        }
    }
    return looked;
}

}  // namespace quillory
