#include "core/program_options.h"

namespace quillory {

std::string DefaultDriveList(const MountTableSource& source) {
    std::string list;
    for (const std::string& root : FixedDriveRoots(source)) {
        list += root;
        list += "\r\n";
    }
    return list;
}

TProgramOptions::TProgramOptions() : TProgramOptions(DefaultDriveList()) {}

TProgramOptions::TProgramOptions(std::string includedFolders) : IncludedFolders(std::move(includedFolders)) {}

}  // namespace quillory
