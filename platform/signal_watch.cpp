#include "platform/signal_watch.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/error.h"

namespace quillory {
namespace {

// [0] is written by the handler, [1] read by the watcher. Both stay open for the whole
// process so that a late signal never writes into a closed or reused descriptor.
int g_pair[2] = {-1, -1};

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Async-signal-safe: one write of one byte, errno preserved. A full pipe drops the byte,
// which only happens when thousands of signals are already waiting.
void OnSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t ignored = ::write(g_pair[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

int WatchTerminationSignals() {
    if (g_pair[1] >= 0) return g_pair[1];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0) {
        throw Error("Cannot watch for termination signals: " + SystemReason(errno));
    }
    for (const int fd : g_pair) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
    return g_pair[1];
}

std::vector<int> TakeTerminationSignals() {
    std::vector<int> signals;
    unsigned char bytes[64];
    for (;;) {
        const ssize_t count = g_pair[1] < 0 ? 0 : ::read(g_pair[1], bytes, sizeof bytes);
        if (count <= 0) break;  // EAGAIN: all read
        signals.insert(signals.end(), bytes, bytes + count);
    }
    return signals;
}

}  // namespace quillory
