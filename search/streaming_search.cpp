#include "search/streaming_search.h"

#include "core/name_cache.h"
#include "search/ascii_scan.h"
#include "search/byte_search.h"
#include "search/match_collector.h"

namespace quillory {

StreamingSearch::StreamingSearch(const TWordList& words, const TSearchOptions& options, size_t limit,
                                 EntryList& results)
    : options_(options),
      limit_(limit == 0 ? 1 : limit),
      results_(results),
      matcher_(words, options),
      plan_(MakeSearchPlan(matcher_)),
      prefilterNames_(!options.CaseSensitive && !options.FullPath && !plan_.requiredLiteral.empty()),
      prefilterFolders_(options.FullPath && !plan_.requiredLiteral.empty()) {
    results_.Clear();
}

void StreamingSearch::Begin(size_t, uint64_t) {}

bool StreamingSearch::Full() const {
    return results_.Count() >= limit_;
}

void StreamingSearch::FillWindow(std::span<const DatabaseRecord> records) {
    window_.Clear();
    // One scan of the window's names answers the case-insensitive question for the required
    // text; asking name by name costs a scan's set-up per name.
    const bool marked = prefilterNames_ || (prefilterFolders_ && !options_.CaseSensitive);
    if (marked) {
        names_.clear();
        for (const DatabaseRecord& r : records) names_.push_back(r.Name);
        MarkNamesMayHoldUpper(names_, plan_.requiredLiteral, marks_);
    }
    FolderRef folder;
    std::string_view folderText;
    bool anyFolder = false;
    std::string_view runText;
    bool anyRun = false;
    std::string_view namesNeed;
    for (size_t k = 0; k < records.size(); ++k) {
        if (prefilterNames_ && marks_[k] == 0) continue;
        const DatabaseRecord& r = records[k];
        if (prefilterFolders_) {
            if (!anyRun || r.Folder.data() != runText.data() || r.Folder.size() != runText.size()) {
                runText = r.Folder;
                anyRun = true;
                namesNeed = NameTextNeededIn(r.Folder);
            }
            if (!namesNeed.empty()) {
                const bool may = marked && namesNeed == plan_.requiredLiteral
                                     ? marks_[k] != 0
                                     : NameMayHold(r.Name, namesNeed);
                if (!may) continue;
            }
        }
        // Records of one folder run share one folder view; a new view gets its own copy.
        if (!anyFolder || r.Folder.data() != folderText.data() || r.Folder.size() != folderText.size()) {
            folder = window_.InternFolder(r.Folder);
            folderText = r.Folder;
            anyFolder = true;
        }
        AppendRecord(window_, r, folder);
    }
}

std::string_view StreamingSearch::NameTextNeededIn(std::string_view folder) {
    casedFolder_.clear();
    AppendCaseForm(casedFolder_, folder, !options_.CaseSensitive);
    // Only after a "/" do a name's characters start afresh in the full path.
    const bool splitsHere = casedFolder_.empty() || casedFolder_.back() == '/';
    return splitsHere ? NameTextNeeded(casedFolder_, plan_.requiredLiteral) : std::string_view();
}

bool StreamingSearch::NameMayHold(std::string_view name, std::string_view text) const {
    if (!options_.CaseSensitive && text != kSeparatorText) return NameMayHoldUpper(name, text);
    return FindBytes(name.data(), name.size(), text) != nullptr;
}

void StreamingSearch::Records(std::span<const DatabaseRecord> records) {
    if (records.empty() || Full()) return;
    FillWindow(records);
    if (window_.Empty()) return;
    const MatchRequest request{window_, nullptr, matcher_, plan_, options_};
    matches_.clear();
    CollectMatches(request, limit_ - results_.Count(), matches_);
    for (const size_t index : matches_) {
        TMyItem& result = results_.AppendCopy(window_[index]);
        result.IconIndex = -1;
        result.Selected = false;
    }
}

}  // namespace quillory
