// Times SaveDatabase and LoadDatabase on a generated catalogue and reports the catalogue's
// resident memory per entry after a load.
//   database_bench [entries] [folder]

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

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

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

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::stoul(argv[1]) : 1'000'000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const std::string path = folder + "/quillory-bench.qdb";
    const ActivityLog log(folder + "/quillory-bench.log", LocaleFormats::ForLocale("en_US"), NowDateTime);
    TProgramOptions options{"/\r\n"};

    std::vector<double> saves, loads;
    size_t nameBytes = 0;
    {
        EntryList catalogue;
        bench::GenerateCatalogue(catalogue, count);
        for (const TMyItem& e : catalogue.Entries()) nameBytes += e.Name().size();
        for (int run = 0; run < 5; ++run) {
            const auto t0 = std::chrono::steady_clock::now();
            SaveDatabase(catalogue, options, path, log);
            saves.push_back(Ms(std::chrono::steady_clock::now() - t0));
        }
    }
    for (int run = 0; run < 5; ++run) {
        EntryList catalogue;
        const auto t0 = std::chrono::steady_clock::now();
        LoadDatabase(catalogue, options, path, log);
        loads.push_back(Ms(std::chrono::steady_clock::now() - t0));
    }
    // Memory: a fresh load into a new catalogue, measured as the growth of resident memory.
    const long before = ResidentBytes();
    EntryList kept;
    LoadDatabase(kept, options, path, log);
    const long after = ResidentBytes();
    std::ifstream f(path, std::ios::binary | std::ios::ate);
    const long fileSize = static_cast<long>(f.tellg());
    std::printf("entries            %zu\n", kept.Count());
    std::printf("file size          %.1f MB (%ld bytes)\n", fileSize / 1e6, fileSize);
    std::printf("save (median of 5) %.1f ms   [min %.1f]\n", Median(saves), *std::min_element(saves.begin(), saves.end()));
    std::printf("load (median of 5) %.1f ms   [min %.1f]\n", Median(loads), *std::min_element(loads.begin(), loads.end()));
    std::printf("resident growth    %.1f MB; name bytes %.1f MB\n", (after - before) / 1e6, nameBytes / 1e6);
    std::printf("bytes per entry beyond the name bytes: %.1f\n",
                static_cast<double>(after - before - static_cast<long>(nameBytes)) / static_cast<double>(kept.Count()));
    unlink(path.c_str());
    unlink((folder + "/quillory-bench.log").c_str());
    return 0;
}
