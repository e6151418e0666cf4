#pragma once
// One job on a thread of its own, its result handed back to the thread that started it. The
// job receives a stop token; destroying the worker asks it to stop and waits for it, so a job
// never outlives the data its starter lent it. An exception thrown by the job reaches the
// caller of Take().

#include <future>
#include <stop_token>
#include <thread>
#include <utility>

namespace quillory {

template <class Result>
class Worker {
  public:
    // Starts `job(std::stop_token)` at once. Throws std::system_error when no thread can be had.
    template <class Job>
    explicit Worker(Job job) {
        std::packaged_task<Result(std::stop_token)> task(std::move(job));
        result_ = task.get_future();
        thread_ = std::jthread(std::move(task));
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Waits for the job and hands its result back, or throws what the job threw. Once only.
    Result Take() { return result_.get(); }
    // Asks the job to stop; it decides when.
    void RequestStop() { thread_.request_stop(); }
    // Whether the job has ended (its result can be taken without waiting).
    bool Done() const { return result_.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }

  private:
    std::future<Result> result_;
    std::jthread thread_;  // declared last: joined before the result goes
};

}  // namespace quillory
