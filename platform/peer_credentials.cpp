#include "platform/peer_credentials.h"

#include <sys/socket.h>
#include <unistd.h>

namespace quillory {

std::optional<uid_t> PeerUserId(int fd) {
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof(credentials)) {
        return std::nullopt;
    }
    // A socket that was never connected reports the "nobody" credentials of an unset peer.
    if (credentials.pid == 0) return std::nullopt;
    return credentials.uid;
}

bool PeerIsSameUser(int fd) {
    const std::optional<uid_t> peer = PeerUserId(fd);
    return peer && *peer == ::geteuid();
}

}  // namespace quillory
