#pragma once
// How many folder watches the user may still add. The system allows each user a number of
// inotify watches (fs/inotify/max_user_watches) shared by all of the user's processes; what the
// others hold is counted from their descriptors' details in /proc (the "inotify wd:" lines of
// the inotify descriptors), as far as they can be read. The process root is a parameter so
// tests can describe processes of their own.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillory {

// The system's limit of watches per user; 0 when it cannot be read.
size_t ReadMaxUserWatches(const std::string& procRoot = "/proc");

// The watches held by the processes of user `uid` (this process included).
size_t CountUserWatches(uint32_t uid, const std::string& procRoot = "/proc");

// The limit less the watches the calling user's processes hold (never below 0).
size_t FreeUserWatches(const std::string& procRoot = "/proc");

}  // namespace quillory
