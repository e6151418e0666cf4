#include "app/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "platform/error.h"

namespace quillory::app {
namespace {

// [0] is written by the handler, [1] read by the notifier. Both stay open for the whole
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

void InstallHandlers() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0) {
        throw Error("Cannot watch for termination signals: " + SystemReason(errno));
    }
    for (const int fd : g_pair) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

QPointer<TerminationSignals> g_receiver;

}  // namespace

TerminationSignals* TerminationSignals::Install() {
    if (g_receiver) return g_receiver;
    if (!QCoreApplication::instance()) throw Error("Termination signals need the application object");
    if (g_pair[0] < 0) InstallHandlers();
    g_receiver = new TerminationSignals(QCoreApplication::instance());
    return g_receiver;
}

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), notifier_(new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this)) {
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::Drain() {
    unsigned char bytes[64];
    for (;;) {
        const ssize_t count = ::read(g_pair[1], bytes, sizeof bytes);
        if (count <= 0) break;  // EAGAIN: all read
        for (ssize_t i = 0; i < count; ++i) Q_EMIT endRequested(bytes[i]);
    }
}

}  // namespace quillory::app
