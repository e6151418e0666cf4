#pragma once
// Keeping a helping thread beside the thread it helps. The system tends to wake a thread on
// its waker's processor, and some systems (virtual machines packing their work onto few
// processors) keep it there: the two threads then take turns on one processor while another
// stays idle, and the help is lost.

#include <thread>

namespace quillory {

// Lets `thread` run on any processor the calling thread may use except the one it runs on
// now. Does nothing when the caller may use one processor only, or when the system refuses.
// `keptOff` remembers the processor the thread was kept off (-1 before the first call): while
// the caller stays on it, the system is not asked again.
void KeepOffThisProcessor(std::thread& thread, int& keptOff);

// Whether the calling thread may run on more than one processor.
bool MayUseSeveralProcessors();

}  // namespace quillory
