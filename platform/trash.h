#pragma once
// Moving a file or folder to the user's trash, by its path's bytes: a name that is not valid
// UTF-8 reaches the trash as it is, never a neighbour whose name reads the same on screen.
//
// The layout is the desktop's shared one, which file managers list and restore from: the
// item goes to "files/" of a trash folder under a name not yet used there, and "info/" gets
// "<that name>.trashinfo" holding its original path (percent-encoded bytes) and the
// deletion date. Items on the home's file system go to the application-data folder's
// "Trash"; items on another file system go to that file system's own trash ("$top/.Trash/<uid>"
// when an administrator made "$top/.Trash" sticky, else "$top/.Trash-<uid>"), since a trash
// elsewhere would need a copy.

#include <string>

namespace quillory {

// Moves `path` (absolute) to the trash. Returns 0, or the errno value of the failure; the item
// then stays where it was and no information file is left behind.
int MoveFileToTrash(const std::string& path);

// The "Path=" value of an information file for `path`: every byte but letters, digits, "/"
// and "-._~" as "%XX".
std::string TrashInfoPath(const std::string& path);

}  // namespace quillory
