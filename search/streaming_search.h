#pragma once
// A search of a database file as the reader streams it, for a search that runs once (the
// command line): no catalogue is built, only the matching records are kept. The results are
// exactly those of loading the file and searching the catalogue: the same entries in
// catalogue order, the same limit rule.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/database.h"
#include "core/entry_list.h"
#include "search/name_matching.h"
#include "search/search_options.h"
#include "search/search_plan.h"
#include "search/word_list.h"

namespace quillory {

class StreamingSearch : public DatabaseRecordSink {
  public:
    // `words` parsed for `options`; at most `limit` (1 or more) results go to `results`, which
    // is cleared first. The references must outlive the search.
    StreamingSearch(const TWordList& words, const TSearchOptions& options, size_t limit, EntryList& results);

    void Begin(size_t claimedCount, uint64_t fileSize) override;
    void Records(std::span<const DatabaseRecord> records) override;

    // True once `limit` results are held; the rest of the file is then only read.
    bool Full() const;

  private:
    // Copies the records that may match (all of them, or those that the required text does
    // not rule out by their name or their folder) into the small list that the engine's own loop then
    // searches.
    void FillWindow(std::span<const DatabaseRecord> records);
    // A full-path search: the text an entry's name must hold in `folder` (empty: none), and
    // whether `name` may hold `text` in the compared case.
    std::string_view NameTextNeededIn(std::string_view folder);
    bool NameMayHold(std::string_view name, std::string_view text) const;

    const TSearchOptions& options_;
    size_t limit_;
    EntryList& results_;
    QueryMatcher matcher_;
    SearchPlan plan_;
    // Names tested against the required text before any copy: a case-insensitive name search.
    bool prefilterNames_;
    // Records tested folder run by folder run before any copy: a full-path search.
    bool prefilterFolders_;
    std::string casedFolder_;
    EntryList window_;
    std::vector<std::string_view> names_;
    std::vector<uint8_t> marks_;
    std::vector<size_t> matches_;
};

}  // namespace quillory
