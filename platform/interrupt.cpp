#include "platform/interrupt.h"

#include <signal.h>

#include <csignal>

namespace quillory {

namespace {

// Set by the SIGINT handler. A signal handler may touch nothing else.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

struct SavedHandling {
    struct sigaction action {};
    sigset_t mask{};
};

// One guard at a time: the handling it replaced.
SavedHandling g_saved;

}  // namespace

InterruptGuard::InterruptGuard() {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_saved.action);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigprocmask(SIG_UNBLOCK, &set, &g_saved.mask);
}

InterruptGuard::~InterruptGuard() {
    sigprocmask(SIG_SETMASK, &g_saved.mask, nullptr);
    sigaction(SIGINT, &g_saved.action, nullptr);
}

bool InterruptRequested() {
    return g_interrupted != 0;
}

}  // namespace quillory
