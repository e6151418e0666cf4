#pragma once
// Builds a catalogue shaped like a real disk: folders of a few to a few dozen entries, mixed
// case names with extensions, blanks, some UTF-8, folder paths a few levels deep. The same
// seed always gives the same catalogue.

#include <cstdint>
#include <random>
#include <string>

#include "core/entry_list.h"

namespace quillory::bench {

inline void GenerateCatalogue(EntryList& list, size_t count, uint32_t seed = 42) {
    static const char* const kWords[] = {"Report",  "photo",          "IMG",         "invoice", "Backup",
                                         "notes",   "draft",          "Music",       "song",    "video",
                                         "Projekt", "\u00fcbersicht", "caf\xC3\xA9", "data",    "config",
                                         "Holiday", "scan",           "final",       "v2",      "readme"};
    static const char* const kExts[] = {"txt",  "jpg",  "JPG",  "mp3", "pdf", "cpp", "h",  "png",
                                        "docx", "flac", "json", "xml", "",    "log", "zip"};
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    std::string folder = "/home/user/";
    FolderRef folderRef = list.InternFolder(folder);
    size_t leftInFolder = 0;
    for (size_t i = 0; i < count; ++i) {
        if (leftInFolder == 0) {
            folder = "/home/user/";
            const size_t depth = 1 + pick(5);
            for (size_t d = 0; d < depth; ++d) {
                folder += kWords[pick(std::size(kWords))];
                folder += d % 2 ? " " : "_";
                folder += std::to_string(pick(100));
                folder += '/';
            }
            folderRef = list.InternFolder(folder);
            leftInFolder = 3 + pick(40);
        }
        --leftInFolder;
        std::string name = kWords[pick(std::size(kWords))];
        name += pick(3) == 0 ? " " : "_";
        name += std::to_string(rng() % 100000);
        const bool isFolder = pick(10) == 0;
        const char* ext = kExts[pick(std::size(kExts))];
        if (!isFolder && *ext) {
            name += '.';
            name += ext;
        }
        TMyItem& e = list.AcquireEntry(name);
        e.SetFolder(folderRef);
        e.Attributes = isFolder ? 0x10 : 0x20;
        e.Size = isFolder ? 0 : static_cast<int64_t>(rng() % 50'000'000);
        e.Modified = 40000.0 + (rng() % 9000) + (rng() % 43200) / 43200.0;
        e.Created = e.Modified - 10;
        e.Accessed = e.Modified + 1;
    }
}

}  // namespace quillory::bench
