#pragma once
// Waiting for another thread that is about to be done. A thread that goes to sleep is woken
// on whichever processor the system picks, often the one its waker runs on: two threads meant
// to work side by side would then take turns on one processor while the other stays idle,
// and waking an idle processor of a virtual machine can itself take milliseconds. A wait
// that is expected to be short therefore watches the condition on its own processor first,
// and sleeps only once that took longer than expected.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/thread_placement.h"

namespace quillory {

// How long a short wait watches before it sleeps: a block of a two-thread search takes a
// fraction of a millisecond. A thread that may run on one processor only never watches: the
// other thread could not run meanwhile.
inline std::chrono::microseconds ShortWaitWatch() {
    return std::chrono::microseconds(MayUseSeveralProcessors() ? 1000 : 0);
}

// Waits until `flag` is set. The setter sets it while holding `mutex` and then notifies
// `changed`, so a waiter that falls asleep never misses it.
inline void WaitShortly(const std::atomic<bool>& flag, std::mutex& mutex, std::condition_variable& changed,
                        std::chrono::microseconds watch = ShortWaitWatch()) {
    const auto until = std::chrono::steady_clock::now() + watch;
    unsigned spins = 0;
    while (!flag.load(std::memory_order_acquire)) {
        // The clock is read now and then, not on every turn.
        if ((++spins & 63) == 0 && std::chrono::steady_clock::now() >= until) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return flag.load(std::memory_order_acquire); });
            return;
        }
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
}

}  // namespace quillory
