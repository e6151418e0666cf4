#pragma once
// The busy flag and start tick that the rescan and the search share. A search that ends while
// a rescan runs clears the flag, and the rescan stops at its next check of it.

#include <chrono>
#include <cstdint>
#include <functional>

namespace quillory {

// Milliseconds of a steady clock; tests substitute their own.
using TickSource = std::function<int64_t()>;

inline int64_t SteadyTickCount() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct BusyState {
    bool Busy = false;
    int64_t StartTick = 0;
    TickSource Ticks = SteadyTickCount;

    // Sets the flag and takes the start tick.
    void Begin() {
        Busy = true;
        StartTick = Ticks();
    }
    int64_t ElapsedMs() const { return Ticks() - StartTick; }
};

}  // namespace quillory
