#pragma once
// The program's one options object: the description of the current database (kept in the
// database file), the start-up flags, the power-search program, the result limit and the
// hot-key slots (kept in the settings).

#include <array>
#include <cstdint>
#include <string>

#include "platform/date_time.h"
#include "platform/drives.h"

namespace quillory {

// The mount points of the fixed local disks that do not lie below another, each followed
// by CR LF; on an ordinary machine "/" alone.
std::string DefaultDriveList(const MountTableSource& source = {});

struct TProgramOptions {
    // Builds the defaults: IncludedFolders is the default drive list, everything else empty,
    // false or 0.
    TProgramOptions();
    explicit TProgramOptions(std::string includedFolders);

    std::array<int32_t, 9> HotKeyAtoms{};
    bool RescanOnStartup = false;
    bool MinimizeOnStartup = false;
    bool StartWindowsStarts = false;
    std::string PowerSearchFile;

    // The database description, stored in the database file's header.
    std::string DatabaseName;
    std::string DBFileName;
    std::string IncludedFolders;
    std::string ExcludedFolders;
    bool ExtensionFilterOn = false;
    bool IncludeExtensionsMode = false;
    bool ExcludeExtensionsMode = false;
    std::string IncludedExtensions;
    std::string ExcludedExtensions;
    int32_t LastRescanSeconds = 0;
    DateTime LastRescanTime = 0;

    int32_t MaxResultsCount = 0;
    std::array<uint16_t, 9> HotKeys{};
};

// The result limit the settings supply when none is stored.
inline constexpr int32_t kDefaultMaxResultsCount = 10000;

}  // namespace quillory
