#pragma once
// Ctrl+C as a request to stop: while an InterruptGuard lives, SIGINT only sets a flag that
// the program reads between steps; afterwards the previous handling is back.

namespace quillory {

class InterruptGuard {
  public:
    // Clears the flag, routes SIGINT to it and unblocks SIGINT (a program started with it
    // blocked could not be stopped otherwise).
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// Whether SIGINT arrived since the last guard was made.
bool InterruptRequested();

}  // namespace quillory
