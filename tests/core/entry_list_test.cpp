#include "core/entry_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillory {
namespace {

TEST(TMyItem, NewEntryIsEmpty) {
    EntryList list;
    TMyItem& e = list.AcquireEntry("");
    EXPECT_EQ(e.Name(), "");
    EXPECT_EQ(e.Folder(), "");
    EXPECT_EQ(e.Ext(), "");
    EXPECT_EQ(e.Modified, 0);
    EXPECT_EQ(e.Created, 0);
    EXPECT_EQ(e.Accessed, 0);
    EXPECT_EQ(e.Size, 0);
    EXPECT_EQ(e.Attributes, 0u);
    EXPECT_EQ(e.IconIndex, 0);
    EXPECT_FALSE(e.Selected);
}

TEST(TMyItem, ExtFollowsNameAndFolderBit) {
    EntryList list;
    const struct {
        const char* name;
        uint32_t attributes;
        const char* ext;
    } rows[] = {
        {"archive.tar.gz", 0x20, "gz"},
        {"README", 0x80, ""},
        {".profile", 0x2, "profile"},
        {"x.y", kAttrDirectory, "Folder"},
        {"x.y", 0x80, "y"},
        {"trailing.", 0x80, ""},
        {"x.Folder", 0x80, "Folder"},
        {"src", kAttrDirectory, "Folder"},
    };
    for (const auto& row : rows) {
        TMyItem& e = list.AcquireEntry(row.name);
        e.Attributes = row.attributes;
        EXPECT_EQ(e.Ext(), row.ext) << row.name;
        EXPECT_EQ(e.ColumnText(4), row.ext);
        EXPECT_EQ(e.ColumnText(2), "");
        EXPECT_EQ(e.ColumnText(3), "");
    }
}

TEST(EntryFullPath, FolderThenName) {
    EntryList list;
    TMyItem& a = list.AcquireEntry("boot.ini");
    a.SetFolder(list.InternFolder("/mnt/d/"));
    EXPECT_EQ(EntryFullPath(a), "/mnt/d/boot.ini");
    EXPECT_EQ(a.ColumnText(1), "/mnt/d/");
    TMyItem& b = list.AcquireEntry("bare");
    EXPECT_EQ(EntryFullPath(b), "bare");
}

TEST(AcquireEntry, AppendsWithoutSpareAndReusesSpareWithOldValues) {
    EntryList list;
    TMyItem& first = AcquireEntry(list, "one");
    first.Size = 11;
    first.Attributes = 0x20;
    AcquireEntry(list, "two").Size = 22;
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.SlotCount(), 2u);

    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.SlotCount(), 2u);

    TMyItem& reused = AcquireEntry(list, "renamed");
    EXPECT_EQ(&reused, &list[0]);
    EXPECT_EQ(reused.Name(), "renamed");
    EXPECT_EQ(reused.Size, 11);  // the caller sets what it relies on
    EXPECT_EQ(reused.Attributes, 0x20u);
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.SlotCount(), 2u);

    AcquireEntry(list, "b");
    AcquireEntry(list, "c");
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.SlotCount(), 3u);
    EXPECT_EQ(list[2].Name(), "c");
}

TEST(AcquireEntry, NamesSurviveManyChunksAndStayPut) {
    EntryList list;
    const std::string longName(300, 'n');
    std::vector<const TMyItem*> seen;
    for (int i = 0; i < 20000; ++i) {
        AcquireEntry(list, longName + std::to_string(i));
    }
    for (int i = 0; i < 20000; ++i) {
        ASSERT_EQ(list[i].Name(), longName + std::to_string(i));
    }
    const std::string huge(3 << 20, 'h');  // larger than a chunk
    EXPECT_EQ(list.InternFolder(huge).Text(), huge);
    EXPECT_EQ(list[0].Name(), longName + "0");
    const std::string longest(TMyItem::kMaxNameBytes, 'x');
    EXPECT_EQ(AcquireEntry(list, longest).Name(), longest);
    EXPECT_THROW(AcquireEntry(list, longest + "x"), std::length_error);
}

TEST(TrimEntries, Bounds) {
    EntryList list;
    for (const char* n : {"a", "b", "c", "d"}) AcquireEntry(list, n);
    list.Truncate(2);
    TrimEntries(list, 4);  // at the slot count: nothing happens
    EXPECT_EQ(list.SlotCount(), 4u);
    TrimEntries(list, 10);
    EXPECT_EQ(list.SlotCount(), 4u);
    TrimEntries(list, 2);  // drops the spare slots only
    EXPECT_EQ(list.SlotCount(), 2u);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[1].Name(), "b");
    TrimEntries(list, 1);  // cuts into the content: the count follows
    EXPECT_EQ(list.Count(), 1u);
    TrimEntries(list, 0);
    EXPECT_EQ(list.SlotCount(), 0u);
    EXPECT_EQ(list.Count(), 0u);
}

TEST(EntryList, FoldersOfARunShareOneText) {
    EntryList list;
    const FolderRef a = list.InternFolder("/data/A/");
    const FolderRef again = list.InternFolder("/data/A/");
    const FolderRef lower = list.InternFolder("/data/a/");
    EXPECT_EQ(a.Text().data(), again.Text().data());
    EXPECT_NE(a.Text().data(), lower.Text().data());
    EXPECT_EQ(lower.Text(), "/data/a/");
}

TEST(EntryList, AppendCopyCopiesTextsIntoTheTargetList) {
    EntryList catalogue;
    TMyItem& source = catalogue.AcquireEntry("song.mp3");
    source.SetFolder(catalogue.InternFolder("/music/"));
    source.Size = 42;
    source.Modified = 1.5;
    source.Created = 2.5;
    source.Accessed = 3.5;
    source.Attributes = 0x20;

    EntryList results;
    TMyItem& copy = results.AppendCopy(source);
    catalogue.Clear();
    catalogue.AcquireEntry("overwritten").SetFolder(catalogue.InternFolder("/elsewhere/"));
    EXPECT_EQ(EntryFullPath(copy), "/music/song.mp3");
    EXPECT_EQ(copy.Size, 42);
    EXPECT_EQ(copy.Modified, 1.5);
    EXPECT_EQ(copy.Created, 2.5);
    EXPECT_EQ(copy.Accessed, 3.5);
    EXPECT_EQ(copy.Attributes, 0x20u);
}

TEST(EntryList, GenerationChangesWithContentAndDiffersBetweenLists) {
    EntryList a, b;
    EXPECT_NE(a.Generation(), b.Generation());
    const uint64_t g0 = a.Generation();
    a.AcquireEntry("x");
    const uint64_t g1 = a.Generation();
    EXPECT_NE(g0, g1);
    a.Clear();
    EXPECT_NE(a.Generation(), g1);
    a.AcquireEntry("y");
    const uint64_t before = a.Generation();
    a.Swap(b);
    EXPECT_NE(a.Generation(), before);
    EXPECT_NE(b.Generation(), before);
    EXPECT_EQ(b[0].Name(), "y");
    EXPECT_EQ(a.Count(), 0u);
}

// A list of `count` entries whose every field tells its place i.
EntryList Numbered(size_t count) {
    EntryList list;
    for (size_t i = 0; i < count; ++i) {
        const FolderRef folder = list.InternFolder("/f" + std::to_string(i / 7) + "/");
        TMyItem& e = list.AcquireEntry("n" + std::to_string(i));
        e.SetFolder(folder);
        e.Size = static_cast<int64_t>(i);
        e.Modified = static_cast<double>(i) + 0.5;
        e.Created = -static_cast<double>(i);
        e.Accessed = static_cast<double>(i) * 2;
        e.Attributes = static_cast<uint32_t>(i * 3);
        e.IconIndex = static_cast<int32_t>(i % 1000);
        e.Selected = i % 3 == 0;
    }
    return list;
}

void ExpectEntryFrom(const TMyItem& e, size_t i, size_t place) {
    ASSERT_EQ(e.Name(), "n" + std::to_string(i)) << "place " << place;
    ASSERT_EQ(e.Folder(), "/f" + std::to_string(i / 7) + "/") << "place " << place;
    ASSERT_EQ(e.Size, static_cast<int64_t>(i));
    ASSERT_EQ(e.Modified, static_cast<double>(i) + 0.5);
    ASSERT_EQ(e.Created, -static_cast<double>(i));
    ASSERT_EQ(e.Accessed, static_cast<double>(i) * 2);
    ASSERT_EQ(e.Attributes, static_cast<uint32_t>(i * 3));
    ASSERT_EQ(e.IconIndex, static_cast<int32_t>(i % 1000));
    ASSERT_EQ(e.Selected, i % 3 == 0);
}

TEST(Reorder, MovesWholeEntriesShortAndLongListsWithOneSpare) {
    // One spare is passed through lists of growing, shrinking and growing sizes, as one sorter's is.
    std::mt19937 random(4);
    EntryList::Slots spare;
    for (const size_t count : {0u, 1u, 5u, 1000u, 70'001u, 3u, 40'000u, 100'000u, 2u}) {
        EntryList list = Numbered(count);
        std::vector<uint32_t> order(count);
        std::iota(order.begin(), order.end(), 0u);
        std::shuffle(order.begin(), order.end(), random);
        const uint64_t before = list.Generation();
        list.Reorder(order, spare);
        ASSERT_EQ(list.Count(), count);
        EXPECT_NE(list.Generation(), before);
        for (size_t k = 0; k < count; ++k) ExpectEntryFrom(list[k], order[k], k);
        // Back again: the spare now holds the first reordering's old slots.
        std::vector<uint32_t> inverse(count);
        for (size_t k = 0; k < count; ++k) inverse[order[k]] = static_cast<uint32_t>(k);
        list.Reorder(inverse, spare);
        for (size_t k = 0; k < count; ++k) ExpectEntryFrom(list[k], k, k);
        // The list goes on growing after a reordering, with the texts it already held.
        list.AcquireEntry("after");
        EXPECT_EQ(list[count].Name(), "after");
        if (count > 0) ExpectEntryFrom(list[count - 1], count - 1, count - 1);
    }
}

TEST(Reorder, DropsSpareSlotsAndRefusesOrdersThatNameNoEntry) {
    EntryList list = Numbered(6);
    list.Truncate(4);
    EntryList::Slots spare;
    const uint64_t generation = list.Generation();
    const std::vector<std::vector<uint32_t>> bad = {{0, 1, 2}, {0, 1, 2, 3, 4}, {0, 1, 2, 4}, {9, 0, 1, 2}};
    for (const std::vector<uint32_t>& order : bad) {
        EXPECT_THROW(list.Reorder(order, spare), std::invalid_argument);
        EXPECT_EQ(list.Generation(), generation) << "a refused order changes nothing";
        EXPECT_EQ(list.SlotCount(), 6u);
    }
    list.Reorder(std::vector<uint32_t>{3, 2, 1, 0}, spare);
    EXPECT_EQ(list.Count(), 4u);
    EXPECT_EQ(list.SlotCount(), 4u) << "spare slots dropped";
    for (size_t k = 0; k < 4; ++k) ExpectEntryFrom(list[k], 3 - k, k);
    EntryList empty;
    empty.Reorder({}, spare);
    EXPECT_EQ(empty.Count(), 0u);
}

}  // namespace
}  // namespace quillory

namespace quillory {
namespace {

std::vector<std::pair<std::string, size_t>> Stretches(const EntryList& list, size_t first, size_t last) {
    std::vector<EntryList::NameStretch> stretches;
    std::vector<std::pair<std::string, size_t>> out;
    if (!list.NameStretches(first, last, stretches)) return {{"not in order", 0}};
    for (const auto& s : stretches) out.emplace_back(std::string(s.bytes), s.firstEntry);
    return out;
}

TEST(EntryList, NamesLieBackToBackInEntryOrderUntilReorderedOrShortened) {
    using Runs = std::vector<std::pair<std::string, size_t>>;
    EntryList list;
    EXPECT_EQ(Stretches(list, 0, 5), Runs{});
    list.AcquireEntry("ab").SetFolder(list.InternFolder("/folder texts are kept apart/"));
    list.AcquireEntry("");
    list.AcquireEntry("cde");
    EXPECT_EQ(Stretches(list, 0, 3), (Runs{{std::string("ab\0\0cde\0", 8), 0}}));
    EXPECT_EQ(Stretches(list, 1, 2), (Runs{{std::string("\0", 1), 1}}));
    EXPECT_EQ(Stretches(list, 2, 99), (Runs{{std::string("cde\0", 4), 2}}));
    EXPECT_EQ(list[0].Name(), "ab");

    // A name that does not fit in the current chunk starts a new stretch.
    const std::string big(TextArena::kFirstChunkSize - 4, 'x');
    list.AcquireEntry(big);
    const Runs runs = Stretches(list, 0, 4);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1], std::make_pair(big + std::string(1, '\0'), size_t{3}));
    EXPECT_EQ(Stretches(list, 3, 4), Runs{runs[1]});

    // Reordered, shortened (later names would not follow on): no longer laid out so, until
    // the list is emptied. A swap carries the layout along.
    EntryList other;
    other.AcquireEntry("z");
    other.Swap(list);
    EXPECT_EQ(Stretches(other, 0, 1), (Runs{{std::string("ab\0", 3), 0}}));
    EXPECT_EQ(Stretches(list, 0, 1), (Runs{{std::string("z\0", 2), 0}}));
    other.EditEntries();
    EXPECT_EQ(Stretches(other, 0, 1), (Runs{{"not in order", 0}}));
    other.Clear();
    other.AcquireEntry("q");
    EXPECT_EQ(Stretches(other, 0, 1), (Runs{{std::string("q\0", 2), 0}}));
    other.AcquireEntry("r");
    other.Truncate(1);
    EXPECT_EQ(Stretches(other, 0, 1), (Runs{{"not in order", 0}}));
    list.AcquireEntry("y");
    list.TrimEntries(2);  // spare slots only
    EXPECT_EQ(Stretches(list, 0, 2), (Runs{{std::string("z\0y\0", 4), 0}}));
    list.TrimEntries(1);
    EXPECT_EQ(Stretches(list, 0, 1), (Runs{{"not in order", 0}}));
    other.Clear();
    other.AcquireEntry("a");
    other.AcquireEntry("b");
    EntryList::Slots spare;
    const std::vector<uint32_t> reversed = {1, 0};
    other.Reorder(reversed, spare);
    EXPECT_EQ(other[0].Name(), "b");
    EXPECT_EQ(Stretches(other, 0, 2), (Runs{{"not in order", 0}}));
}

}  // namespace
}  // namespace quillory
