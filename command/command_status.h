#pragma once
// What every quillory-cli command shares with the running program's search channel: the exit
// statuses and the error a bad command line raises.

#include "platform/error.h"

namespace quillory::command {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNoResults = 1;
inline constexpr int kExitError = 2;

// A bad command line: reported as "quillory-cli: <message>" with exit status 2, as any other
// Error is; its own type lets the search channel tell a bad request from a failed search.
struct UsageError : Error {
    using Error::Error;
};

}  // namespace quillory::command
