// Search benchmark: generates a catalogue shaped like a real disk (nested folders, mixed case,
// extensions, blanks, some UTF-8), writes it as a tree of empty files and/or as a database,
// and times the search engine on it, cross-checked against a plain per-entry loop.
//
//   quillory-search-bench generate ROOT COUNT [--tree] [--db FILE]
//   quillory-search-bench time FILE [REPEATS]

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/activity_log.h"
#include "core/catalogue.h"
#include "core/database.h"
#include "platform/locale_formats.h"
#include "search/name_matching.h"
#include "search/query_parser.h"
#include "search/search_driver.h"

using namespace quillory;

namespace {

const char* const kFolderWords[] = {
    "src",     "lib",     "include",     "Documents",    "Projects", "build",   "test",     "tests",
    "assets",  "images",  "Photos 2019", "Photos 2021",  "Music",    "Música",  "Über uns", "café",
    "Résumés", "данные",  "日本語",      "node_modules", "vendor",   "cache",   "share",    "doc",
    "locale",  "icons",   "themes",      "config",       "backup",   "old",     "Archive",  "Downloads",
    "Videos",  "Desktop", "tmp",         "data",         "modules",  "plugins", "scripts",  "www"};
const char* const kFileWords[] = {
    "main",   "index",     "README",  "Makefile",  "config", "utils",  "helper", "report",
    "Report", "invoice",   "Song",    "track",     "IMG",    "DSC",    "photo",  "Summary",
    "notes",  "data",      "test",    "setup",     "module", "string", "parser", "window",
    "draft",  "Final",     "copy",    "Übersicht", "résumé", "naïve",  "Straße", "файл",
    "写真",   "changelog", "license", "core",      "view",   "model",  "server", "client"};
const char* const kExtensions[] = {".c",   ".h",       ".cpp", ".py",   ".txt",  ".jpg",  ".JPG",
                                   ".png", ".mp3",     ".MP3", ".so",   ".json", ".html", ".js",
                                   ".md",  ".pdf",     ".xml", ".conf", ".log",  ".gz",   ".o",
                                   ".svg", ".desktop", ".mo",  ".ogg",  ""};

struct GeneratedEntry {
    uint32_t folder;  // index into folders
    std::string name;
    bool isFolder;
};

struct GeneratedTree {
    std::vector<std::string> folders;  // full folder texts ending with "/"
    std::vector<GeneratedEntry> entries;
};

template <size_t N>
const char* Pick(std::mt19937& rng, const char* const (&words)[N]) {
    return words[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

std::string FileName(std::mt19937& rng, size_t serial) {
    std::uniform_int_distribution<int> percent(0, 99);
    std::string name = Pick(rng, kFileWords);
    const int shape = percent(rng);
    if (shape < 30) {
        name.append("_").append(std::to_string(serial % 1000));
    } else if (shape < 50) {
        name += std::string(percent(rng) < 50 ? " " : "-") + Pick(rng, kFileWords);
    } else if (shape < 60) {
        name.assign("IMG_").append(std::to_string(1000 + serial % 9000));
    }
    if (percent(rng) < 2 && serial % 7 == 0) name += " quarterly";
    return name + Pick(rng, kExtensions);
}

// Breadth of the tree: every folder holds 0-30 files and 0-6 subfolders, down to depth 9.
GeneratedTree Generate(const std::string& root, size_t count) {
    std::mt19937 rng(12345);
    GeneratedTree tree;
    tree.folders.push_back(root + "/");
    std::vector<std::pair<uint32_t, int>> queue{{0, 0}};
    size_t head = 0;
    while (tree.entries.size() < count && head < queue.size()) {
        const auto [folder, depth] = queue[head++];
        const int files = std::uniform_int_distribution<int>(0, 30)(rng);
        const int subfolders = depth >= 9 ? 0 : std::uniform_int_distribution<int>(depth < 2 ? 3 : 0, 6)(rng);
        std::vector<std::string> used;
        for (int i = 0; i < subfolders && tree.entries.size() < count; ++i) {
            std::string name = Pick(rng, kFolderWords);
            if (std::find(used.begin(), used.end(), name) != used.end())
                name.append(1, '-').append(std::to_string(i));
            used.push_back(name);
            tree.entries.push_back({folder, name, true});
            tree.folders.push_back(tree.folders[folder] + name + "/");
            queue.emplace_back(static_cast<uint32_t>(tree.folders.size() - 1), depth + 1);
        }
        for (int i = 0; i < files && tree.entries.size() < count; ++i) {
            std::string name = FileName(rng, tree.entries.size());
            if (std::find(used.begin(), used.end(), name) != used.end()) name = std::to_string(i) + name;
            used.push_back(name);
            tree.entries.push_back({folder, name, false});
        }
    }
    // Catalogue order: the entries of a folder together, as the walk lists them.
    std::stable_sort(tree.entries.begin(), tree.entries.end(),
                     [](const GeneratedEntry& a, const GeneratedEntry& b) { return a.folder < b.folder; });
    return tree;
}

void WriteTree(const GeneratedTree& tree) {
    for (const std::string& folder : tree.folders) mkdir(folder.c_str(), 0755);
    for (const GeneratedEntry& entry : tree.entries) {
        if (entry.isFolder) continue;
        const std::string path = tree.folders[entry.folder] + entry.name;
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            std::perror(path.c_str());
            continue;
        }
        close(fd);
    }
}

void WriteDatabase(const GeneratedTree& tree, const std::string& root, const std::string& file) {
    EntryList catalogue;
    for (const GeneratedEntry& entry : tree.entries) {
        const FolderRef folder = catalogue.InternFolder(tree.folders[entry.folder]);
        TMyItem& item = catalogue.AcquireEntry(entry.name);
        item.SetFolder(folder);
        item.Attributes = entry.isFolder ? kAttrDirectory : kAttrNormal;
        item.Size = entry.isFolder ? 0 : static_cast<int64_t>(entry.name.size()) * 1000;
        item.Modified = item.Created = item.Accessed = 45000.5;
    }
    TProgramOptions options{root + "/\r\n"};
    options.DatabaseName = "search bench";
    SaveDatabase(catalogue, options, file,
                 ActivityLog(file + ".log", LocaleFormats::ForLocale("en_US"), NowDateTime));
}

struct BenchQuery {
    const char* label;
    const char* text;
    TSearchOptions options;
};

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The plain reading: every entry, its subject built and upper-cased per test.
size_t PlainCount(const EntryList& catalogue, const TWordList& words, const TSearchOptions& options,
                  size_t limit) {
    size_t found = 0;
    for (const TMyItem& entry : catalogue.Entries()) {
        const bool isFolder = entry.Ext() == kFolderExt;
        if (isFolder ? !options.FindFolders : !options.FindFiles) continue;
        const std::string subject = options.FullPath ? EntryFullPath(entry) : std::string(entry.Name());
        if (!MatchesQuery(subject, words, options)) continue;
        if (++found >= limit) break;
    }
    return found;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The searches of a catalogue in memory, each also counted by the plain loop; false when a
// count differs.
bool TimeCatalogueSearches(Catalogue& cached, std::span<const BenchQuery> queries, int repeats) {
    TSearchDriver driver;
    const EntryList& entries = cached.Entries;
    EntryList results;
    // The first search of each case builds the name cache; report it once.
    const auto t0 = std::chrono::steady_clock::now();
    driver.Search(cached, "x", {}, 1, results);
    std::printf("upper-case name cache build (first search): %.1f ms\n\n",
                Ms(std::chrono::steady_clock::now() - t0));

    std::printf(
        "cached: the name cache; 1-pass: no name cache, raw names scanned for both cases of the\n"
        "word (a search that runs once); plain: per-entry loop\n");
    std::printf("%-26s %-6s %9s %9s %9s %10s %11s\n", "query", "limit", "results", "cached ms", "1-pass ms",
                "plain ms", "plain/cache");
    bool allEqual = true;
    double rareOnePass = 0;
    for (const BenchQuery& q : queries) {
        for (const int64_t limit : {int64_t{kDefaultMaxResultsCount}, int64_t{INT64_MAX}}) {
            // The median time of `repeats` searches of `searched`.
            auto median = [&](auto& searched) {
                std::vector<double> times;
                for (int r = 0; r < repeats; ++r) {
                    const auto s = std::chrono::steady_clock::now();
                    driver.Search(searched, q.text, q.options, limit, results);
                    times.push_back(Ms(std::chrono::steady_clock::now() - s));
                }
                return Median(std::move(times));
            };
            const double fast = median(cached);
            const size_t count = results.Count();
            const double onePass = median(entries);
            const bool passEqual = results.Count() == count;
            if (&q == &queries[0] && limit == INT64_MAX) rareOnePass = onePass;
            const auto s = std::chrono::steady_clock::now();
            const size_t plain = PlainCount(entries, driver.Words(), q.options, static_cast<size_t>(limit));
            const double plainMs = Ms(std::chrono::steady_clock::now() - s);
            if (plain != count || !passEqual) allEqual = false;
            std::printf("%-26s %-6s %9zu %9.2f %9.2f %10.1f %10.1fx%s\n", q.label,
                        limit == INT64_MAX ? "none" : "10000", count, fast, onePass, plainMs, plainMs / fast,
                        plain == count && passEqual ? "" : "  MISMATCH with the plain loop");
        }
    }
    std::printf(
        "\nsingle-pass name scan of %zu names for a rare ASCII word (\"%s\"), one thread, no name "
        "cache: %.2f ms (goal <= 8 ms)\n",
        entries.Count(), queries[0].text, rareOnePass);
    return allEqual;
}

// A search that runs once over the file: streamed (read and matched, only the matches kept)
// against loading the catalogue and then searching it. False when the counts differ.
bool TimeFileSearches(const std::string& file, std::span<const BenchQuery> queries, int repeats) {
    std::printf("\none search of the file (median of %d): streamed read+match vs load + 1-pass search\n",
                repeats);
    std::printf("%-26s %9s %11s %11s\n", "query", "results", "stream ms", "load+srch ms");
    const ActivityLog log(file + ".log", LocaleFormats::ForLocale("en_US"), NowDateTime);
    TSearchDriver driver;
    EntryList results;
    bool allEqual = true;
    for (const BenchQuery& q : queries) {
        std::vector<double> streamTimes;
        std::vector<double> loadTimes;
        size_t streamed = 0;
        size_t loaded = 0;
        for (int r = 0; r < repeats; ++r) {
            TProgramOptions header{std::string()};
            auto s0 = std::chrono::steady_clock::now();
            streamed = driver.SearchDatabase(file, log, q.text, q.options, INT64_MAX, results, header);
            streamTimes.push_back(Ms(std::chrono::steady_clock::now() - s0));
            s0 = std::chrono::steady_clock::now();
            EntryList fresh;
            LoadDatabase(fresh, header, file, log);
            loaded = driver.Search(fresh, q.text, q.options, INT64_MAX, results);
            loadTimes.push_back(Ms(std::chrono::steady_clock::now() - s0));
        }
        if (streamed != loaded) allEqual = false;
        std::printf("%-26s %9zu %11.1f %11.1f%s\n", q.label, streamed, Median(std::move(streamTimes)),
                    Median(std::move(loadTimes)), streamed == loaded ? "" : "  MISMATCH");
    }
    return allEqual;
}

int Time(const std::string& file, int repeats) {
    Catalogue cached;  // the window's way: the catalogue keeps its name caches
    EntryList& catalogue = cached.Entries;
    TProgramOptions programOptions{std::string()};
    const auto t0 = std::chrono::steady_clock::now();
    LoadDatabase(catalogue, programOptions, file,
                 ActivityLog(file + ".log", LocaleFormats::ForLocale("en_US"), NowDateTime));
    std::printf("catalogue: %zu entries, load %.1f ms\n", catalogue.Count(),
                Ms(std::chrono::steady_clock::now() - t0));

    TSearchOptions fullPath;
    fullPath.FullPath = true;
    // The full path of one folder of the catalogue, as a quoted term (a path may hold blanks).
    std::string onePath;
    for (size_t i = 0; i < catalogue.Count() && (onePath.empty() || i <= catalogue.Count() / 2); ++i) {
        if (catalogue[i].Ext() == kFolderExt)
            onePath.assign(1, '"').append(EntryFullPath(catalogue[i])) += '"';
    }
    TSearchOptions wholeWords;
    wholeWords.WholeWords = true;
    const BenchQuery queries[] = {
        {"name substring, rare", "quarterly", {}},
        {"name substring, common", "data", {}},
        {"whole word", "report", wholeWords},
        {"wildcard *.mp3", "*.mp3", {}},
        {"full-path substring", "photos", fullPath},
        {"a full path", onePath.c_str(), fullPath},
        {"4-term boolean", "report +\"final\" -\"copy\" -\"pdf\"", {}},
        {"name substring, no match", "zqxj", {}},
    };
    const bool cachedEqual = TimeCatalogueSearches(cached, queries, repeats);
    const bool fileEqual = TimeFileSearches(file, queries, repeats);
    const bool allEqual = cachedEqual && fileEqual;
    std::printf("\nfast paths and plain per-entry loop agree on every count: %s\n", allEqual ? "yes" : "NO");
    return allEqual ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() >= 3 && args[0] == "generate") {
            const std::string root = args[1];
            const size_t count = std::stoul(args[2]);
            const GeneratedTree tree = Generate(root, count);
            for (size_t i = 3; i < args.size(); ++i) {
                if (args[i] == "--tree") {
                    WriteTree(tree);
                } else if (args[i] == "--db" && i + 1 < args.size()) {
                    WriteDatabase(tree, root, args[++i]);
                }
            }
            std::printf("generated %zu entries in %zu folders under %s\n", tree.entries.size(),
                        tree.folders.size(), root.c_str());
            return 0;
        }
        if (args.size() >= 2 && args[0] == "time")
            return Time(args[1], args.size() >= 3 ? std::stoi(args[2]) : 9);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillory-search-bench: %s\n", e.what());
        return 2;
    }
    std::fprintf(stderr,
                 "usage: quillory-search-bench generate ROOT COUNT [--tree] [--db FILE]\n"
                 "       quillory-search-bench time FILE [REPEATS]\n");
    return 2;
}
