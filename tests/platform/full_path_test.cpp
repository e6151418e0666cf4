#include "platform/full_path.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/database.h"
#include "platform/terminal.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

TEST(FullPath, ResolvesDotsByTextAlone) {
    const struct {
        const char* base;
        const char* path;
        const char* full;
    } rows[] = {
        {"/home/u", "db.qdb", "/home/u/db.qdb"},
        {"/home/u", "./db.qdb", "/home/u/db.qdb"},
        {"/home/u", "../v/./db.qdb", "/home/v/db.qdb"},
        {"/home/u", "a//b///c", "/home/u/a/b/c"},
        {"/home/u", "../../../../x", "/x"},
        {"/home/u", "/abs/../y/", "/y/"},
        {"/home/u", "sub/..", "/home/u/"},
        {"/home/u", "sub/.", "/home/u/sub/"},
        {"/", "..", "/"},
        {"/", "/", "/"},
        {"/home/u", "", ""},
        {"/home/u", "...", "/home/u/..."},
    };
    for (const auto& row : rows) EXPECT_EQ(FullPathFrom(row.base, row.path), row.full) << row.path;
}

// A relative database path with ".." through a link: the full-path rule takes ".." by text,
// so "link/../db.qdb" is the db.qdb beside the link, not the one beside the link's target.
TEST(FullPath, LoadDatabaseResolvesDotDotWithoutFollowingLinks) {
    const test::TempDir dir;
    const test::IsolatedHome home;
    dir.MakeDir("work");
    dir.MakeDir("far/deep");
    ASSERT_EQ(symlink((dir / "far/deep").c_str(), (dir / "work/link").c_str()), 0);
    const ActivityLog log(dir / "log.txt", LocaleFormats::ForLocale("en_US"), [] { return 46000.0; });
    for (const char* where : {"work/db.qdb", "far/db.qdb"}) {
        EntryList list;
        list.AcquireEntry(where).SetFolder(list.InternFolder("/x/"));
        SaveDatabase(list, TProgramOptions{std::string()}, dir / where, log);
    }
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir((dir / "work").c_str()), 0);
    EntryList loaded;
    TProgramOptions options{std::string()};
    std::string error;
    try {
        LoadDatabase(loaded, options, "link/../db.qdb", log);
    } catch (const std::exception& e) {
        error = e.what();
    }
    ASSERT_EQ(chdir(old), 0);
    ASSERT_EQ(error, "");
    ASSERT_EQ(loaded.Count(), 1u);
    EXPECT_EQ(loaded[0].Name(), "work/db.qdb");
}

TEST(TerminalSafeText, ControlCharactersBecomeQuestionMarks) {
    EXPECT_EQ(TerminalSafeText("plain caf\xC3\xA9.txt"), "plain caf\xC3\xA9.txt");
    EXPECT_EQ(TerminalSafeText(std::string("a\nb\rc\td\x1b[2Je\x7f") + std::string(1, '\0')),
              "a?b?c?d?[2Je??");
    // The C1 controls in UTF-8 (U+0080..U+009F) too; U+00A0 and above stay.
    EXPECT_EQ(TerminalSafeText("x\xC2\x9By\xC2\xA0z"), "x?y\xC2\xA0z");
    EXPECT_EQ(TerminalSafeText("\xC2"), "\xC2");
}

}  // namespace
}  // namespace quillory
