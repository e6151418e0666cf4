#pragma once
// The folders a first start leaves out of the catalogue: those the system's locate database
// leaves out, so both tools agree on what is worth finding.

#include <string>
#include <string_view>

namespace quillory {

// The folders of the PRUNEPATHS line of an updatedb.conf text, each ending in "/" and
// followed by CR LF, in the line's order; empty when the text has no such line or the line
// names no folder. The value may be quoted; a later line wins, as it does for updatedb.
std::string PrunePathsFolders(std::string_view confText);

// The excluded folders of a first start: PrunePathsFolders of the file at `confPath`, or,
// when it cannot be read or names none, the temporary, spool, cache, removable-media and
// container-storage folders.
std::string FirstStartExcludedFolders(const std::string& confPath = "/etc/updatedb.conf");

}  // namespace quillory
