#pragma once
// SIGTERM, SIGHUP and SIGINT are recorded instead of ending the process: the handler only
// writes the signal's number into a socket pair, and whoever watches the other end (an event
// loop) takes the numbers outside the handler and ends the program the orderly way.

#include <vector>

namespace quillory {

// Installs the handlers (once per process; later calls change nothing) and returns the
// non-blocking descriptor the signals' numbers are read from, open for the process's life.
// Throws Error when it cannot be made.
int WatchTerminationSignals();

// The signals recorded since the last call, oldest first; none once all were taken.
std::vector<int> TakeTerminationSignals();

}  // namespace quillory
