#pragma once
// How a rescan reports while it runs. The calls come from the thread that runs the rescan (a
// worker, for the desktop program): they receive copies, never references into the
// catalogue, so the user interface may post them to its own thread and paint them later.

#include <cstddef>
#include <string>

namespace quillory {

class RescanObserver {
  public:
    virtual ~RescanObserver() = default;
    // A progress point: the folder most recently entered and the number of entries found.
    // Called at most once per event interval of the walk (about every 50 ms), and only when
    // the values changed since the last call.
    virtual void Progress(std::string folder, size_t found) = 0;
    // The pause between progress calls has elapsed: the walk checked its stop request and
    // goes on. A front end without threads of its own may request the stop here.
    virtual void Heartbeat() {}
    // The rescan's work is over (completed or stopped); the last call of a rescan. A rescan
    // task's Wait() no longer blocks after it.
    virtual void Finished() {}
};

}  // namespace quillory
