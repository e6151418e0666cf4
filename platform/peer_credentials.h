#pragma once
// Who is at the other end of a local socket. A channel that answers from the user's own
// catalogue talks only to programs of the same user: the socket's folder is private, and
// the accepted connection's credentials are checked besides.

#include <sys/types.h>

#include <optional>

namespace quillory {

// The user id of the process at the other end of connected local socket `fd`, as the kernel
// recorded it when the connection was made; nullopt when `fd` is not such a socket.
std::optional<uid_t> PeerUserId(int fd);

// Whether the peer of `fd` runs as the same user as this process (its effective user id).
// False when the credentials cannot be read.
bool PeerIsSameUser(int fd);

}  // namespace quillory
