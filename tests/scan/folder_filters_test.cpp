#include "scan/folder_filters.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

TEST(IsFolderAllowed, RefusesTheFolderAndBelowButNotAbove) {
    const ExcludedFolderList excluded({"/data/Old/", "/home/u/.cache", "", "/srv/ärger/"});
    const struct {
        const char* path;
        bool allowed;
    } rows[] = {
        {"/data/Old/", false},      // the folder itself
        {"/data/Old/x/y/", false},  // below it
        {"/data/", true},           // above it: walked as usual
        {"/", true},
        {"/data/old/", false},  // case ignored
        {"/DATA/OLD/sub/", false},
        {"/data/Older/", true},      // a sibling whose name begins alike
        {"/home/u/.cache/", false},  // a line without final separator
        {"/home/u/.cachedir/", true},
        {"/home/u/", true},
        {"/srv/ÄRGER/", false},  // non-ASCII case ignored
        {"/srv/ärgerlich/", true},
    };
    for (const auto& row : rows) EXPECT_EQ(IsFolderAllowed(excluded, row.path), row.allowed) << row.path;
    EXPECT_EQ(excluded.Size(), 3u) << "the empty line names no folder";
}

TEST(IsFolderAllowed, LinesNamingTheRootOrAboveDoNotApplyWithinIt) {
    const ExcludedFolderList excluded({"/home/", "/home/u/", "/home/u/tmp/", "/other/"});
    const ExcludedFolderList withinU = excluded.ForRoot("/home/u/");
    EXPECT_EQ(withinU.Size(), 2u);
    EXPECT_TRUE(IsFolderAllowed(withinU, "/home/u/docs/"));
    EXPECT_FALSE(IsFolderAllowed(withinU, "/home/u/tmp/"));
    EXPECT_FALSE(IsFolderAllowed(withinU, "/home/u/TMP/a/"));
    // Case is ignored for the root too; a root without separator is taken as a folder.
    EXPECT_EQ(excluded.ForRoot("/HOME/U").Size(), 2u);
    // Under the root / every line applies.
    EXPECT_FALSE(IsFolderAllowed(excluded.ForRoot("/"), "/home/"));
}

TEST(ExtensionAccepted, Modes) {
    ExtensionFilter filter;
    filter.included = ExtensionSet({"mp3", "MP3", "Ogg", "tar.gz"});
    filter.excluded = ExtensionSet({"tmp", "bak"});
    EXPECT_EQ(filter.included.Size(), 3u) << "duplicates collapse, case ignored";

    const struct {
        bool on, include, exclude;
        const char* name;
        bool accepted;
    } rows[] = {
        {false, true, false, "c.wav", true},  // filter off: everything
        {true, true, false, "a.MP3", true},
        {true, true, false, "b.mp3", true},
        {true, true, false, "x.ogg", true},
        {true, true, false, "c.wav", false},
        {true, true, false, "README", false},    // no extension: refused in include mode
        {true, true, false, "a.tar.gz", false},  // the extension is "gz"
        {true, true, false, "mp3", false},
        {true, true, false, ".mp3", true},   // a hidden file's "extension"
        {true, true, true, "c.wav", false},  // include mode wins
        {true, false, true, "c.wav", true},
        {true, false, true, "old.TMP", false},
        {true, false, true, "README", true},  // no extension: kept in exclude mode
        {true, false, true, "trailing.", true},
        {true, false, false, "old.tmp", true},  // on but neither mode
    };
    for (const auto& row : rows) {
        filter.on = row.on;
        filter.includeMode = row.include;
        filter.excludeMode = row.exclude;
        EXPECT_EQ(ExtensionAccepted(filter, row.name), row.accepted)
            << row.name << " on=" << row.on << " include=" << row.include << " exclude=" << row.exclude;
    }
}

}  // namespace
}  // namespace quillory
