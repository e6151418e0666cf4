#pragma once
// A thread kept for a share of work that the caller can also do itself. The caller offers the
// work and goes on with its own; when it is done, it either withdraws the offer (the thread
// had not taken it up yet, and never will) or waits for the thread to finish it. A caller
// never waits for a thread to start: waking a sleeping processor can take milliseconds, and
// by then the caller may have done everything alone.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace quillory {

class HelperThread {
  public:
    HelperThread() = default;
    // Stops the thread once it has finished the work it took.
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    // Offers `work`, started on the thread when it takes it up; false when no thread can be
    // had (the caller then does the work itself). One offer at a time: the previous one must
    // have been withdrawn or waited for. `work` must not throw.
    bool Offer(std::function<void()> work);
    // Takes the offer back unless the thread has taken it up: true when the work will never
    // run; false when it runs or ran, and the caller must call WaitFinished().
    bool Withdraw();
    // Waits until the work taken up has finished.
    void WaitFinished();
    // For tests: waits until the thread has taken the offer up.
    void WaitTaken();

  private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> work_;
    bool offered_ = false;  // an offer waits to be taken up
    bool running_ = false;  // the work taken up has not finished yet
    bool taken_ = false;    // the current offer was taken up
    bool stopping_ = false;
    std::thread thread_;
    int keptOff_ = -1;  // the processor the thread is kept off
};

}  // namespace quillory
