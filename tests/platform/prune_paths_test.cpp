#include "platform/prune_paths.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

TEST(PrunePaths, TheLastPrunePathsLineGivesTheFoldersInItsOrder) {
    const struct {
        const char* conf;
        const char* folders;
    } rows[] = {
        {"PRUNE_BIND_MOUNTS=\"yes\"\nPRUNEPATHS=\"/tmp /var/spool /media\"\n",
         "/tmp/\r\n/var/spool/\r\n/media/\r\n"},
        {"  PRUNEPATHS = '/afs  /mnt/' \r\n", "/afs/\r\n/mnt/\r\n"},
        {"PRUNEPATHS=/srv\nPRUNEPATHS=\"/tmp\"\n", "/tmp/\r\n"},
        {"# PRUNEPATHS=\"/tmp\"\nPRUNEPATHS_EXTRA=\"/x\"\n", ""},
        {"PRUNEPATHS=\"\"\n", ""},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(PrunePathsFolders(row.conf), row.folders) << row.conf;
}

TEST(PrunePaths, AFirstStartFallsBackToTheListedFoldersWhenTheFileNamesNone) {
    test::TempDir dir;
    EXPECT_EQ(FirstStartExcludedFolders(dir.WriteFile("named.conf", "PRUNEPATHS=\"/scratch\"\n")),
              "/scratch/\r\n");
    const std::string fallback =
        "/tmp/\r\n/var/tmp/\r\n/var/spool/\r\n/var/cache/\r\n/media/\r\n/var/lib/docker/\r\n"
        "/var/lib/containers/\r\n/home/.ecryptfs/\r\n";
    EXPECT_EQ(FirstStartExcludedFolders(dir.WriteFile("empty.conf", "PRUNEFS=\"nfs\"\n")), fallback);
    EXPECT_EQ(FirstStartExcludedFolders("/nonexistent/updatedb.conf"), fallback);
}

}  // namespace
}  // namespace quillory
