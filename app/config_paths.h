#pragma once
// The user's configuration folder, looked up afresh on every call so that a changed
// XDG_CONFIG_HOME (tests, a re-exec) is honoured without restarting the program.

#include <QString>

namespace quillory::app {

// $XDG_CONFIG_HOME when it is set to an absolute path, otherwise $HOME/.config; never ends
// in a slash.
QString ConfigHome();

}  // namespace quillory::app
