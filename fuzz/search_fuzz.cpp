// Feeds arbitrary queries and names to the search. Input: one byte of flags (case sensitive,
// whole words, full path, cached names, unused, no folders, no files, records
// streamed as a database reader hands them on), the search text up to a NUL, then names
// separated by line feeds. The driver's fast path (the name cache, or the one-pass scan of raw
// names, in memory or over streamed records) must list exactly the entries that the plain
// per-entry test accepts, in catalogue order, and nothing may crash.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue.h"
#include "core/entry_list.h"
#include "search/name_matching.h"
#include "search/query_parser.h"
#include "search/search_driver.h"
#include "search/streaming_search.h"

using namespace quillory;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) return 0;
    const std::string_view text = rest.substr(0, nul);

    EntryList catalogue;
    std::string_view names = rest.substr(nul + 1);
    size_t index = 0;
    while (!names.empty()) {
        const size_t end = std::min(names.find('\n'), names.size());
        const std::string_view name = names.substr(0, std::min<size_t>(end, 255));
        // Alternate folders (one without a final separator) and folder/file kinds.
        const FolderRef folder =
            catalogue.InternFolder(index % 3 == 2 ? "/odd" : (index % 2 ? "/A b/" : "/f/"));
        TMyItem& e = catalogue.AcquireEntry(name);
        e.SetFolder(folder);
        e.Attributes = index % 4 == 1 ? 0x10 : 0x20;
        names.remove_prefix(std::min(end + 1, names.size()));
        ++index;
    }

    TSearchOptions options;
    options.CaseSensitive = flags & 1;
    options.WholeWords = flags & 2;
    options.FullPath = flags & 4;
    options.FindFolders = !(flags & 32);
    options.FindFiles = !(flags & 64) || !options.FindFolders;  // never both off
    TSearchDriver driver;
    EntryList results;
    Catalogue cached;
    if (flags & 128) {
        // Records handed on in uneven groups, their texts in one buffer as a reader's block.
        driver.Search(catalogue, text, options, 1, results);  // parses the words
        EntryList streamed;
        StreamingSearch search(driver.Words(), options, SIZE_MAX, streamed);
        std::vector<DatabaseRecord> records;
        std::string block;
        size_t i = 0;
        while (i < catalogue.Count()) {
            const size_t group = 1 + (i * 7 + text.size()) % 5;
            block.clear();
            for (size_t k = i; k < catalogue.Count() && k < i + group; ++k) {
                block.append(catalogue[k].Name()).append(catalogue[k].Folder());
            }
            records.clear();
            size_t at = 0;
            for (size_t k = i; k < catalogue.Count() && k < i + group; ++k) {
                const TMyItem& e = catalogue[k];
                const std::string_view name(block.data() + at, e.Name().size());
                const std::string_view folder(block.data() + at + name.size(), e.Folder().size());
                at += name.size() + folder.size();
                records.push_back(
                    {name, folder, true, e.Modified, e.Created, e.Accessed, e.Size, e.Attributes});
            }
            search.Records(records);
            i += group;
        }
        results.Swap(streamed);
    } else if (flags & 8) {
        // The same entries searched through the catalogue's name cache.
        cached.Entries = std::move(catalogue);
        driver.Search(cached, text, options, INT64_MAX, results);
    } else {
        driver.Search(catalogue, text, options, INT64_MAX, results);
    }
    // The streamed branch (flag 128) leaves the catalogue where it is, whatever flag 8 says.
    const EntryList& searched = (flags & 8) && !(flags & 128) ? cached.Entries : catalogue;

    size_t next = 0;
    for (const TMyItem& e : searched.Entries()) {
        const bool isFolder = e.Ext() == "Folder";
        if (isFolder ? !options.FindFolders : !options.FindFiles) continue;
        const std::string subject = options.FullPath ? EntryFullPath(e) : std::string(e.Name());
        if (!MatchesQuery(subject, driver.Words(), options)) continue;
        if (next >= results.Count() || EntryFullPath(results[next]) != EntryFullPath(e)) __builtin_trap();
        ++next;
    }
    if (next != results.Count()) __builtin_trap();
    return 0;
}
