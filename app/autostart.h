#pragma once
// The programs the desktop starts when the user logs on: one XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/<name>.desktop, written by hand so that its content is exactly
// known.

#include <QString>

namespace quillory::app {

// The entry's full path for `name`.
QString AutostartEntryPath(const QString& name);

// The entry's text: a valid desktop entry of type Application named `name` whose Exec line
// runs `programPath` with no arguments, quoted and escaped.
QString AutostartEntryText(const QString& name, const QString& programPath);

// `programPath` quoted for an Exec line (double quotes, with `"`, `` ` ``, `$` and `\`
// escaped, then the value's own escapes applied, and `%` doubled), ready to be written.
QString QuoteExecArgument(const QString& programPath);

// Adds (remove = false) or removes (remove = true) the autostart entry `name`.
// Adding replaces any earlier entry of that name atomically: a failed write leaves the old
// entry as it was. Removing a missing entry, or an entry that cannot be deleted, is silent.
// Throws quillory::Error "Failed to create key <folder>" when the autostart folder cannot be
// created and "Failed to set data for '<file>'" when the entry cannot be written.
// The desktop has no run-once list: runOnce = true throws quillory::Error rather than
// adding an entry that would run on every log-on.
void SetRunAtStartup(const QString& name, const QString& programPath, bool runOnce, bool remove);

}  // namespace quillory::app
