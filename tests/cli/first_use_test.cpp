// Whole-process tests of what a new user meets first: the version, and a command run before
// any database exists.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

using test::RunCli;

TEST(CliFirstUse, VersionComesFromTheBuildUnderBothSpellings) {
    for (const char* option : {"--version", "-V"}) {
        const auto r = RunCli({option}, {});
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_EQ(r.out, "Quillory " QUILLORY_VERSION "\n") << option;
    }
}

TEST(CliFirstUse, WithoutADatabaseSearchAndInfoSayHowToMakeOneAndCreateNothing) {
    const test::TempDir dir;
    const std::vector<std::pair<std::string, std::string>> env = {
        {"XDG_DATA_HOME", dir / "data"}, {"XDG_RUNTIME_DIR", dir.Path()}, {"HOME", dir.Path()}};
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"search", "x"}, {"info"}, {"--db", dir / "none.qdb", "search", "--from-file", "x"},
          {"--db", dir / "none.qdb", "info", "--json"}}) {
        const auto r = RunCli(args, env);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err.find("quillory-cli scan --include DIR"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("start quillory"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "none.qdb"));
}

}  // namespace
}  // namespace quillory
