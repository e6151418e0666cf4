#include <gtest/gtest.h>

#include "core/database.h"
#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

using test::RunCli;

TEST(CliInfo, PrintsTheHandBuiltHeaderAsText) {
    const test::TempDir dir;
    const auto r = RunCli({"--db", QUILLORY_TEST_DATA "/hand-built.qdb", "info"},
                          {{"XDG_DATA_HOME", dir / "data"}, {"LC_ALL", "C"}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "DatabaseName: caf\xE9 \"db\"\n"
              "DBFileName: /home/u/caf\xE9.qdb\n"
              "IncludedFolders:\n  /\n  /home/\n"
              "ExcludedFolders:\n  /home/u/.cache/\n"
              "ExtensionFilterOn: true\n"
              "IncludeExtensionsMode: false\n"
              "ExcludeExtensionsMode: true\n"
              "IncludedExtensions:\n"
              "ExcludedExtensions:\n  tmp\n  bak\n"
              "LastRescanSeconds: 187\n"
              "LastRescanTime: 46363.75\n"
              "LastRescanTimeLocal: 2026-12-07 18:00:00\n"
              "Records: 3\n");
    // Loading writes the activity log as the program does, in the data folder it creates.
    const std::string log = test::ReadFileBytes(dir / "data/quillory/quillory.log");
    EXPECT_NE(log.find(": Count of records = 3\n"), std::string::npos) << log;
    EXPECT_NE(log.find(": Real count of records = 3\n"), std::string::npos) << log;
}

TEST(CliInfo, JsonHasExactlyTheKeysAndEscapesBytes) {
    const test::TempDir dir;
    const auto r = RunCli({"--db", QUILLORY_TEST_DATA "/hand-built.qdb", "info", "--json"},
                          {{"XDG_DATA_HOME", dir / "data"}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"DatabaseName\":\"caf\\u00e9 \\\"db\\\"\",\"DBFileName\":\"/home/u/caf\\u00e9.qdb\","
              "\"IncludedFolders\":[\"/\",\"/home/\"],\"ExcludedFolders\":[\"/home/u/.cache/\"],"
              "\"ExtensionFilterOn\":true,\"IncludeExtensionsMode\":false,\"ExcludeExtensionsMode\":true,"
              "\"IncludedExtensions\":[],\"ExcludedExtensions\":[\"tmp\",\"bak\"],"
              "\"LastRescanSeconds\":187,\"LastRescanTime\":46363.75,\"Records\":3}\n");
}

TEST(CliInfo, ReadsTheWorkingDatabaseWrittenByTheEngine) {
    const test::IsolatedHome home;
    CreateDataFolder();
    EntryList list;
    for (const char* n : {"\xC3\xA4.txt", "b"}) list.AcquireEntry(n).SetFolder(list.InternFolder("/x/"));
    TProgramOptions o{"/\r\n"};
    o.LastRescanTime = 46000.5;
    SaveDatabase(list, o, WorkingDatabasePath(), ActivityLog());
    const auto r = RunCli({"info", "--json"}, {});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"IncludedFolders\":[\"/\"]"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"LastRescanTime\":46000.5,\"Records\":2}"), std::string::npos) << r.out;
}

TEST(CliInfo, ErrorsGoToStderrWithStatus2) {
    const test::TempDir dir;
    const std::vector<std::pair<std::string, std::string>> env{{"XDG_DATA_HOME", dir / "data"}};
    const struct {
        std::vector<std::string> args;
        std::string err;
    } rows[] = {
        {{"--db", QUILLORY_TEST_DATA "/broken/partial-record.qdb", "info"},
         "quillory-cli: Stream read error\n"},
        {{"--db", dir / "missing.qdb", "info"},
         "quillory-cli: no database at " + dir / "missing.qdb" +
             " yet: make one with \"quillory-cli scan --include DIR\", or start quillory and rescan\n"},
        {{"info", "--bogus"}, "quillory-cli: info: unknown option \"--bogus\"\n"},
        {{"frobnicate"}, "quillory-cli: unknown command \"frobnicate\" (try --help)\n"},
        {{"--db"}, "quillory-cli: --db needs a file name\n"},
        {{}, "quillory-cli: no command given (try --help)\n"},
    };
    for (const auto& row : rows) {
        const auto r = RunCli(row.args, env);
        EXPECT_EQ(r.status, 2) << row.err;
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
}  // namespace quillory
