#include "search/helper_thread.h"

#include <system_error>
#include <utility>

#include "platform/thread_placement.h"

namespace quillory {

HelperThread::~HelperThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool HelperThread::Offer(std::function<void()> work) {
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            return false;
        }
    }
    // The system tends to wake a thread on its waker's processor, and the two would then take
    // turns there. Placed before the work is there to take: a new thread would otherwise start
    // on it wherever it was made.
    KeepOffThisProcessor(thread_, keptOff_);
    {
        std::lock_guard lock(mutex_);
        work_ = std::move(work);
        offered_ = true;
        taken_ = false;
    }
    changed_.notify_all();
    return true;
}

bool HelperThread::Withdraw() {
    std::lock_guard lock(mutex_);
    if (taken_) return false;
    offered_ = false;
    work_ = nullptr;
    return true;
}

void HelperThread::WaitFinished() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !running_; });
}

void HelperThread::WaitTaken() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return taken_ || !offered_; });
}

void HelperThread::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return offered_ || stopping_; });
        if (stopping_) return;
        std::function<void()> work = std::move(work_);
        work_ = nullptr;
        offered_ = false;
        taken_ = true;
        running_ = true;
        lock.unlock();
        changed_.notify_all();
        work();
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace quillory
