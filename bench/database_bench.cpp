// Times SaveDatabase and LoadDatabase on a generated catalogue and reports the catalogue's
// resident memory per entry after a load.
//   database_bench [entries] [folder]          times save and load, leaves the file
//   database_bench memory [folder]             loads that file once in a fresh process and
//                                              reports resident memory per entry

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/catalogue_generator.h"
#include "core/database.h"

using namespace quillory;

namespace {

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int MeasureMemory(const std::string& path, const ActivityLog& log) {
    TProgramOptions options{"/\r\n"};
    const long before = ResidentBytes();
    EntryList catalogue;
    LoadDatabase(catalogue, options, path, log);
    const long after = ResidentBytes();
    size_t nameBytes = 0;
    for (const TMyItem& e : catalogue.Entries()) nameBytes += e.Name().size();
    std::printf("resident growth    %.1f MB for %zu entries; name bytes %.1f MB\n", (after - before) / 1e6,
                catalogue.Count(), nameBytes / 1e6);
    std::printf("bytes per entry beyond the name bytes: %.1f\n",
                static_cast<double>(after - before - static_cast<long>(nameBytes)) /
                    static_cast<double>(catalogue.Count()));
    return 0;
}

int main(int argc, char** argv) {
    const bool memory = argc > 1 && std::string(argv[1]) == "memory";
    const size_t count = argc > 1 && !memory ? std::stoul(argv[1]) : 1'000'000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const std::string path = folder + "/quillory-bench.qdb";
    const ActivityLog log(folder + "/quillory-bench.log", LocaleFormats::ForLocale("en_US"), NowDateTime);
    if (memory) return MeasureMemory(path, log);
    TProgramOptions options{"/\r\n"};

    std::vector<double> saves, loads;
    {
        EntryList catalogue;
        bench::GenerateCatalogue(catalogue, count);
        for (int run = 0; run < 5; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            SaveDatabase(catalogue, options, path, log);
            saves.push_back(Ms(std::chrono::steady_clock::now() - t0));
        }
    }
    size_t loaded = 0;
    for (int run = 0; run < 5; ++run) {
        EntryList catalogue;
        const auto t0 = std::chrono::steady_clock::now();
        LoadDatabase(catalogue, options, path, log);
        loads.push_back(Ms(std::chrono::steady_clock::now() - t0));
        loaded = catalogue.Count();
    }
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    const long fileSize = static_cast<long>(f.tellg());
    std::printf("entries            %zu\n", loaded);
    std::printf("file size          %.1f MB (%ld bytes)\n", fileSize / 1e6, fileSize);
    std::printf("save (median of 5) %.1f ms   [min %.1f]  (includes fsync)\n", Median(saves),
                *std::min_element(saves.begin(), saves.end()));
    std::printf("load (median of 5) %.1f ms   [min %.1f]\n", Median(loads),
                *std::min_element(loads.begin(), loads.end()));
    return 0;
}
