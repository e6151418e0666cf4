#pragma once
// The settings the desktop program owns apart from any database: the start-up flags, the
// power-search program, the result limit and the hot keys. They live beside the catalogue,
// never inside it, so reading or changing one never takes the catalogue from a running
// rescan. Kept in the settings file, not in a database file.

#include <array>
#include <cstdint>
#include <string>

namespace quillory {

// The result limit the settings supply when none is stored.
inline constexpr int32_t kDefaultMaxResultsCount = 10000;

struct ProgramSettings {
    std::array<int32_t, 9> HotKeyAtoms{};
    bool RescanOnStartup = false;
    bool MinimizeOnStartup = false;
    bool StartWindowsStarts = false;
    std::string PowerSearchFile;
    int32_t MaxResultsCount = 0;
    // Every change of the search text searches; the text joins the history only once the
    // user settles on it (Enter, or moving to the results).
    bool SearchAsYouType = true;
    // The catalogue follows the changes in its folders while the program runs.
    bool LiveUpdates = true;
    // Slots 1 and 2 hold the codes of hot key 1 ("Open program") and hot key 2 ("Power
    // search"); slot 0 is unused.
    std::array<uint16_t, 9> HotKeys{};
};

}  // namespace quillory
