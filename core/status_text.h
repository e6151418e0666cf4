#pragma once
// The status-bar texts that a rescan and a search share, built in one place.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillory {

// Shown while an operation starts, until it reports anything else.
inline constexpr std::string_view kWaitingStatus = "Waiting...";

// "OK! 3 files found. Search time: " followed by `timeText` as the caller formats it: the
// rescan's "0:00:07.", the search's "1.234 sec.".
std::string FoundStatusText(size_t found, std::string_view timeText);

// "Stop 3 files found": a rescan ended early, keeping what it had found.
std::string StoppedStatusText(size_t found);

}  // namespace quillory
