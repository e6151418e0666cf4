#include "platform/thread_placement.h"

#include <pthread.h>
#include <sched.h>

namespace quillory {

void KeepOffThisProcessor(std::thread& thread, int& keptOff) {
    if (!thread.joinable()) return;
    const int here = ::sched_getcpu();
    if (here == keptOff) return;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (here < 0 || ::sched_getaffinity(0, sizeof(allowed), &allowed) != 0) return;
    CPU_CLR(here, &allowed);
    if (CPU_COUNT(&allowed) == 0) return;
    if (::pthread_setaffinity_np(thread.native_handle(), sizeof(allowed), &allowed) == 0) keptOff = here;
}

bool MayUseSeveralProcessors() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    return ::sched_getaffinity(0, sizeof(allowed), &allowed) == 0 && CPU_COUNT(&allowed) >= 2;
}

}  // namespace quillory
