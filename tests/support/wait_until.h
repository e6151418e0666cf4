#pragma once
// Waiting for another thread or process without the event loop: the condition is polled
// until it holds. The deadline is generous on purpose; it only ends a test that would
// otherwise hang, it is never a statement about speed.

#include <chrono>
#include <thread>

namespace quillory::test {

inline constexpr std::chrono::milliseconds kGenerousWait{30000};

// True as soon as `condition()` holds; false when it still does not at the deadline.
template <class Condition>
bool WaitUntil(Condition&& condition, std::chrono::milliseconds timeout = kGenerousWait) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace quillory::test
