#pragma once
// The description of a database, kept in its file's header: its name and file, the folder
// and extension lists and the statistics of its last completed rescan. The program's own
// settings are apart from it (core/program_settings.h).

#include <array>
#include <cstdint>
#include <string>

#include "core/program_settings.h"
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
};

}  // namespace quillory
