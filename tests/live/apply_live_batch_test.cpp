#include "live/live_batch.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

void Add(EntryList& list, std::string_view folder, std::string_view name, int64_t size) {
    TMyItem& entry = list.AcquireEntry(name);
    entry.SetFolder(list.InternFolder(folder));
    entry.Size = size;
    entry.Modified = entry.Created = entry.Accessed = 0;
    entry.Attributes = kAttrNormal;
}

std::vector<std::string> Paths(const EntryList& list) {
    std::vector<std::string> paths;
    for (const TMyItem& entry : list.Entries()) paths.push_back(EntryFullPath(entry));
    return paths;
}

TEST(ApplyLiveBatch, ReplacesTheNamedPlacesAndReportsOnlyRealChanges) {
    Catalogue catalogue;
    Add(catalogue.Entries, "/r/", "a", 1);
    Add(catalogue.Entries, "/r/", "b", 2);
    Add(catalogue.Entries, "/r/d/", "c", 3);
    Add(catalogue.Entries, "/r/d/e/", "f", 4);
    Add(catalogue.Entries, "/r/dd/", "g", 5);  // beside the removed tree, not in it
    Add(catalogue.Entries, "/r/x/", "h", 6);
    LiveBatch batch;
    batch.items = {{"/r/", "a"}, {"/r/", "b"}};
    batch.trees = {"/r/d/e/", "/r/d/"};
    batch.folders = {"/r/x/"};
    Add(batch.added, "/r/", "a", 1);   // back as it was
    Add(batch.added, "/r/", "b", 20);  // changed
    Add(batch.added, "/r/x/", "i", 7);

    const uint64_t before = catalogue.Entries.Generation();
    const LiveChanges changes = ApplyLiveBatch(catalogue, batch);
    EXPECT_NE(catalogue.Entries.Generation(), before);
    EXPECT_EQ(Paths(catalogue.Entries), (std::vector<std::string>{"/r/dd/g", "/r/a", "/r/b", "/r/x/i"}));
    EXPECT_EQ(Paths(changes.removed), (std::vector<std::string>{"/r/b", "/r/d/c", "/r/d/e/f", "/r/x/h"}));
    EXPECT_EQ(Paths(changes.added), (std::vector<std::string>{"/r/b", "/r/x/i"}));

    // A batch that finds everything as it was leaves the list (and its caches) alone.
    LiveBatch same;
    same.folders = {"/r/x/"};
    Add(same.added, "/r/x/", "i", 7);
    const uint64_t unchanged = catalogue.Entries.Generation();
    EXPECT_TRUE(ApplyLiveBatch(catalogue, same).Empty());
    EXPECT_EQ(catalogue.Entries.Generation(), unchanged);
}

}  // namespace
}  // namespace quillory
