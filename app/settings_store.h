#pragma once
// The desktop program's settings: one QSettings file, $XDG_CONFIG_HOME/Marlowen/Quillory.conf
// (organization "Marlowen", application "Quillory"), with the sections General, Options and
// View. The value names, defaults, limits and the order of reading and writing are fixed;
// booleans are stored as the text "1" / "0" and integers as decimal text, and reading takes
// any decimal number (non-zero = true), falling back to the default for anything else.

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include <string>

#include "core/program_settings.h"

namespace quillory::app {

// The main window's size, position and result-list column widths.
struct ViewGeometry {
    // True when the View section held at least one value: the window takes the stored
    // position instead of being centred at its design size.
    bool stored = false;
    int width = 640;
    int height = 450;
    int left = 10;
    int top = 10;
    // Name, Folder, Size, Date, Ext. These are the design widths; a View section without a
    // column's value gives that column 100.
    std::array<int, 5> columnWidths{140, 180, 90, 100, 50};
};

inline constexpr int kMinimumWindowWidth = 600;
inline constexpr int kMinimumWindowHeight = 240;
inline constexpr int kMinimumColumnWidth = 50;

// What the main window owns: the search history and check boxes, and its geometry.
struct DesktopSettings {
    QStringList history;  // the search-text combo box's items, in list order
    bool caseSensitive = false;
    bool wholeWords = false;
    bool findFolders = true;
    bool findFiles = true;
    bool fullPath = false;
    ViewGeometry view;
    // The named database the program worked with when it last ended ("DBFileName"); a
    // database loaded at start-up brings its own.
    std::string databaseFile;
};

// Brings the log-on start entry in line with StartWindowsStarts while the settings are read:
// called as (name, program path, run once, remove). May throw.
using AutostartHook =
    std::function<void(const QString& name, const QString& programPath, bool runOnce, bool remove)>;

// The hook the program uses: SetRunAtStartup from app/autostart.h.
AutostartHook SystemAutostart();

// $XDG_CONFIG_HOME/Marlowen/Quillory.conf (or ~/.config/...), computed afresh on each call.
QString SettingsFilePath();

// Reads every value in order into `settings` and `options`. Right after StartWindowsStarts
// is read, calls autostart("Quillory", QCoreApplication::applicationFilePath(), false,
// !StartWindowsStarts). Each value is read on its own: a failure of the autostart entry is
// returned as its message (empty when there was none) and every value after it is still
// read. A missing file, section or value gives the defaults; nothing is reported. Without
// any View value `settings.view` is left as it came in (a fresh DesktopSettings holds the
// design geometry).
QString LoadSettings(DesktopSettings& settings, ProgramSettings& options, const AutostartHook& autostart);

// Writes every value, in order; values already in the file under other names are kept.
// The file is replaced atomically, so a refused write leaves the previous file whole.
// Throws quillory::Error "Failed to create key <folder>" when the settings folder cannot be
// created and "Failed to set data for '<file>'" when the file cannot be written.
void SaveSettings(const DesktopSettings& settings, const ProgramSettings& options);

}  // namespace quillory::app
