#pragma once
// quillory-cli's side of the search channel: asks the running program and prints its answer,
// or reports that the file must be read. A program that is not there, refuses, is busy or
// is slow to start its answer costs at most the first-byte time and prints nothing.

#include <iosfwd>
#include <optional>
#include <string>

#include "command/search_channel.h"

namespace quillory::command {

struct ChannelTimeouts {
    // From the connection to the answer's first byte (the program is there and free).
    int firstByteMs = 200;
    // Once the search runs: the longest wait for the next bytes of the answer.
    int progressMs = 10000;
};

// The search channel's socket: $XDG_RUNTIME_DIR/TQuilloryForm1.search, or the same name in
// /run/user/<uid> when XDG_RUNTIME_DIR is unset; empty when neither exists.
std::string SearchChannelSocketPath();

// Sends `request` to the program listening at `socketPath`. With a complete answer, writes
// its stdout bytes to `out` and its status line to `err` and returns its exit status.
// nullopt, with nothing written to `out`, whenever the file must be read instead; only a
// socket of this user, served by a program of this user, is asked, and anything else at its
// path (a file, a folder, a link, another user's socket) is reported on `err`. Throws Error when
// the answer broke off after part of it was written (it cannot be taken back).
std::optional<int> AskRunningProgram(const std::string& socketPath, const ChannelRequest& request,
                                     std::ostream& out, std::ostream& err, ChannelTimeouts timeouts = {});

}  // namespace quillory::command
