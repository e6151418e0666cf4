// Times sorting a result list by each column, as a column click does, on generated results
// that look like a home folder's files: mixed-case names, accents, digits, shared folders.
// Also times the plain approach (one collation call per comparison) on the same list as a
// reference, and checks that the fast order is an order CompareResults accepts.
//
// Then times the column click from the catalogue's ranks: COUNT results picked evenly from a
// catalogue of --catalogue entries (default COUNT), the time to build the ranks of all five
// columns, and each click with the ranks ready beside today's click on the same results.
//
//   sort-bench COUNT [--reference] [--names FILE] [--catalogue N] [--ranked-only]
//   sort-bench COUNT --moves
//
// --names writes the generated names, one per line, for a peer sort tool to sort;
// --ranked-only times the clicks from the ranks and nothing else; --moves times only moving
// COUNT entries into a shuffled order.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/entry_list.h"
#include "results/compare_results.h"
#include "results/ranked_sort.h"
#include "results/sort_results.h"

using namespace quillory;

namespace {

const std::vector<std::string> kSyllables = {
    "re",    "port", "Mu", "sic", "pho",  "to",   "DSC", "img", "Ko", "la", "b\u00e4r",    "\u00e9t\u00e9",
    "da",    "ta",   "x",  "lib", "Test", "2024", "_",   "-",   " ",  "v1", "z\u00fcrich", "Final",
    "draft", "0"};
const std::vector<std::string> kExtensions = {"txt", "jpg", "JPG",  "mp3", "cpp",
                                              "h",   "pdf", "docx", "",    "gz"};

void Generate(EntryList& list, size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    list.Clear();
    list.Reserve(count);
    std::string folder = "/home/ann/";
    for (size_t i = 0; i < count; ++i) {
        if (i % 20 == 0) {
            folder = "/home/ann/";
            for (int depth = 1 + static_cast<int>(random() % 4); depth > 0; --depth) {
                folder += kSyllables[random() % kSyllables.size()];
                folder += kSyllables[random() % kSyllables.size()];
                folder += '/';
            }
        }
        std::string name;
        for (int k = 1 + static_cast<int>(random() % 4); k > 0; --k)
            name += kSyllables[random() % kSyllables.size()];
        const std::string& ext = kExtensions[random() % kExtensions.size()];
        if (!ext.empty()) name += "." + ext;
        const FolderRef ref = list.InternFolder(folder);
        TMyItem& entry = list.AcquireEntry(name);
        entry.SetFolder(ref);
        entry.Size = static_cast<int64_t>(random() % 1000000) * static_cast<int64_t>(1 + random() % 1000);
        entry.Modified = 30000.0 + static_cast<double>(random() % 20000000) / 1000.0;
        entry.Attributes = ext.empty() && random() % 3 == 0 ? kAttrDirectory : kAttrNormal;
    }
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool Ordered(const EntryList& list, ResultColumn column, bool descending, const Collation& collation) {
    for (size_t i = 1; i < list.Count(); ++i) {
        if (CompareResults(list, i - 1, i, column, descending, collation) > 0) return false;
    }
    return true;
}

// Column clicks from the catalogue's ranks against today's clicks on the same results.
int RankedClicks(size_t count, size_t catalogueSize, const Collation& collation) {
    Catalogue catalogue;
    Generate(catalogue.Entries, catalogueSize, 42);
    auto start = std::chrono::steady_clock::now();
    BuildColumnRanks(catalogue.Entries, collation, catalogue.Ranks);
    std::printf("ranks: build 5 columns of %zu entries %10.1f ms  (%.1f MB held)\n", catalogueSize,
                Milliseconds(std::chrono::steady_clock::now() - start),
                static_cast<double>(catalogue.Ranks.BytesAllocated()) / 1e6);

    // Results spread evenly over the catalogue, in catalogue order, as a search leaves them.
    EntryList picked;
    std::vector<size_t> indices;
    for (size_t k = 0; k < count; ++k) {
        const size_t index = k * catalogueSize / count;
        picked.AppendCopy(catalogue.Entries[index]);
        indices.push_back(index);
    }
    // The parts of a click from the ranks, as SortColumnClick does it: working out the order
    // from the ranks, moving the 64-byte entries into it, the catalogue indices following
    // them; then what the window adds when a third of the rows is selected (the selection's
    // rows carried to their new places; the list view's own work is not part of this
    // program). First the first click of a fresh sorter (its working memory faulted in) and
    // the click again (descending), then the first click after PrepareClicks, which the window
    // runs after a search.
    for (const int column : {0, 2}) {
        for (const bool prepared : {false, true}) {
            EntryList results;
            for (const TMyItem& e : picked.Entries()) results.AppendCopy(e);
            ResultOrigin origin;
            origin.Record(catalogue.Entries.Generation(), indices, results);
            ResultSorter sorter(collation);
            double prepareMs = 0;
            if (prepared) {
                start = std::chrono::steady_clock::now();
                sorter.PrepareClicks(count, catalogueSize);
                prepareMs = Milliseconds(std::chrono::steady_clock::now() - start);
            }
            const ColumnRank* rank =
                catalogue.Ranks.Find(column, catalogue.Entries.Generation(), collation.LocaleId());
            std::vector<bool> selected(count, false);
            for (size_t k = 0; k < count; k += 3) selected[k] = true;
            for (const bool descending : {false, true}) {
                if (prepared && descending) break;
                std::vector<uint32_t>& order = sorter.ClickOrder();
                start = std::chrono::steady_clock::now();
                RankedOrder(*rank, origin.CatalogueIndex(), descending, order, sorter.RankedMemory());
                const double orderMs = Milliseconds(std::chrono::steady_clock::now() - start);
                start = std::chrono::steady_clock::now();
                sorter.ApplyPermutation(results, order);
                const double moveMs = Milliseconds(std::chrono::steady_clock::now() - start);
                start = std::chrono::steady_clock::now();
                origin.Reordered(order, results);
                const double originMs = Milliseconds(std::chrono::steady_clock::now() - start);
                start = std::chrono::steady_clock::now();
                std::vector<bool> after(order.size(), false);
                for (size_t place = 0; place < order.size(); ++place) after[place] = selected[order[place]];
                selected.swap(after);
                const double selectionMs = Milliseconds(std::chrono::steady_clock::now() - start);
                char when[96];
                if (prepared) {
                    std::snprintf(when, sizeof when, "first click, sorter readied after the search (%.1f ms)",
                                  prepareMs);
                } else {
                    std::snprintf(when, sizeof when, "%s",
                                  descending ? "again (descending)" : "first click of a fresh sorter");
                }
                std::printf(
                    "click %-6s parts, %s: order from the ranks %.1f ms, moving the %zu entries %.1f ms, "
                    "catalogue indices following %.1f ms; a third selected: rows carried %.1f ms\n",
                    column == 0 ? "name" : "size", when, orderMs, count, moveMs, originMs, selectionMs);
            }
        }
    }
    struct Click {
        const char* label;
        int column;
    };
    for (const Click click : {Click{"name", 0}, Click{"folder", 1}, Click{"size", 2}}) {
        for (const bool ranked : {false, true}) {
            EntryList results;
            for (const TMyItem& e : picked.Entries()) results.AppendCopy(e);
            ResultOrigin origin;
            origin.Record(catalogue.Entries.Generation(), indices, results);
            SortState state;
            ResultSorter sorter(collation);
            // As the window does after a search (timed in the "parts" lines above).
            if (ranked) sorter.PrepareClicks(count, catalogueSize);
            double ms[2];
            for (double& m : ms) {
                start = std::chrono::steady_clock::now();
                SortColumnClick(state, results, sorter, click.column, ranked ? &catalogue.Ranks : nullptr,
                                origin);
                m = Milliseconds(std::chrono::steady_clock::now() - start);
                if (!Ordered(results, static_cast<ResultColumn>(click.column), state.SortDescending,
                             collation)) {
                    std::printf("click %s: order WRONG\n", click.label);
                    return 1;
                }
            }
            std::printf(
                "click %-6s %-13s %zu results: %8.1f ms, again (descending) %8.1f ms  order checked\n",
                click.label, ranked ? "(ranks ready)" : "(today)", count, ms[0], ms[1]);
        }
    }
    return 0;
}

// Moving COUNT entries into a shuffled order, as a column click on that many results does
// once the order is known: the median and the fastest of 11 moves, the memory already in use.
int Moves(size_t count) {
    EntryList list;
    Generate(list, count, 42);
    std::vector<uint32_t> order(count);
    for (size_t i = 0; i < count; ++i) order[i] = static_cast<uint32_t>(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    EntryList::Slots spare;
    list.Reorder(order, spare);  // faults the spare in
    std::vector<double> ms;
    for (int run = 0; run < 11; ++run) {
        const auto start = std::chrono::steady_clock::now();
        list.Reorder(order, spare);
        ms.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
    }
    std::sort(ms.begin(), ms.end());
    std::printf("moving %zu entries into a shuffled order: median %.1f ms, fastest %.1f ms (of 11)\n", count,
                ms[ms.size() / 2], ms.front());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr, "usage: sort-bench COUNT [--reference] [--names FILE] [--catalogue N] [--ranked-only]\n");
        return 2;
    }
    const size_t count = std::strtoull(argv[1], nullptr, 10);
    bool reference = false;
    std::string namesFile;
    size_t catalogueSize = count;
    bool rankedOnly = false;
    if (argc > 2 && std::string(argv[2]) == "--moves") return Moves(count);
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--reference") reference = true;
        if (arg == "--ranked-only") rankedOnly = true;
        if (arg == "--names" && i + 1 < argc) namesFile = argv[++i];
        if (arg == "--catalogue" && i + 1 < argc) catalogueSize = std::strtoull(argv[++i], nullptr, 10);
    }
    const Collation collation = Collation::FromEnvironment(CollationStrength::Tertiary);
    if (rankedOnly) return RankedClicks(count, std::max(catalogueSize, count), collation);
    EntryList list;
    if (!namesFile.empty()) {
        Generate(list, count, 42);
        std::ofstream out(namesFile, std::ios::binary);
        for (const TMyItem& e : list.Entries()) out << e.Name() << '\n';
    }

    struct Case {
        const char* label;
        ResultColumn column;
        bool descending;
    };
    const Case cases[] = {
        {"name", ResultColumn::Name, false},     {"name:desc", ResultColumn::Name, true},
        {"size", ResultColumn::Size, false},     {"size:desc", ResultColumn::Size, true},
        {"folder", ResultColumn::Folder, false}, {"date", ResultColumn::Date, false},
        {"ext", ResultColumn::Ext, false},
    };
    std::printf("results=%zu locale=%s\n", count,
                collation.LocaleId().empty() ? "root" : collation.LocaleId().c_str());
    for (const Case& c : cases) {
        Generate(list, count, 42);
        const auto start = std::chrono::steady_clock::now();
        SortResults(list, c.column, c.descending, collation);
        const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
        const bool ok = Ordered(list, c.column, c.descending, collation);
        std::printf("sort %-10s (new sorter) %10.1f ms  %7.0f ns/result  order %s\n", c.label, ms,
                    ms * 1e6 / static_cast<double>(count), ok ? "checked" : "WRONG");
        if (!ok) return 1;
    }

    // The whole column click: selection saved and restored around the sort.
    Generate(list, count, 42);
    MemorySelection selection(count);
    for (size_t i = 0; i < count; i += 3) selection.SetSelected(i, true);
    SortState state;
    ResultSorter sorter(collation);
    auto start = std::chrono::steady_clock::now();
    SortByColumn(state, list, selection, sorter, 0);
    std::printf("click name       %10.1f ms  (first click: sort + selection carried)\n",
                Milliseconds(std::chrono::steady_clock::now() - start));
    start = std::chrono::steady_clock::now();
    SortByColumn(state, list, selection, sorter, 0);
    std::printf("click name again %10.1f ms  (descending, working memory reused)\n",
                Milliseconds(std::chrono::steady_clock::now() - start));
    start = std::chrono::steady_clock::now();
    SortByColumn(state, list, selection, sorter, 2);
    std::printf("click size       %10.1f ms\n", Milliseconds(std::chrono::steady_clock::now() - start));

    if (RankedClicks(count, std::max(catalogueSize, count), collation) != 0) return 1;

    if (reference) {
        // One collation call per comparison, no keys.
        Generate(list, count, 42);
        std::vector<uint32_t> order(count);
        for (size_t i = 0; i < count; ++i) order[i] = static_cast<uint32_t>(i);
        start = std::chrono::steady_clock::now();
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            return CompareResults(list, a, b, ResultColumn::Name, false, collation) < 0;
        });
        const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
        std::printf("reference name (collate per comparison) %10.1f ms\n", ms);
    }
    return 0;
}
