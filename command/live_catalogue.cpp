#include "command/live_catalogue.h"

#include <exception>
#include <utility>
#include <system_error>

namespace quillory::command {

void LiveCatalogue::Start(std::function<void()> arrived) {
    Stop();
    problem_.clear();
    arrived_ = std::move(arrived);
    const auto sink = [this](LiveBatch batch) {
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            queue_.push_back(std::move(batch));
        }
        if (arrived_) arrived_();
    };
    try {
        const ReadHold catalogue = keeper_.Read();
        watcher_ = std::make_unique<LiveWatcher>(*catalogue, sink, settings_);
    } catch (const std::system_error& error) {
        problem_ = error.what();
    }
}

void LiveCatalogue::Stop() {
    watcher_.reset();
}

const std::string& LiveCatalogue::Problem() {
    if (problem_.empty() && watcher_ && watcher_->Ended()) {
        try {
            watcher_->Finish();
            problem_ = "the watcher ended";
        } catch (const std::exception& error) {
            problem_ = error.what();
        }
    }
    return problem_;
}

std::vector<LiveBatch> LiveCatalogue::TakeQueued() {
    std::lock_guard<std::mutex> guard(queueLock_);
    return std::exchange(queue_, {});
}

void LiveCatalogue::DropQueued() {
    TakeQueued();
}

LiveChanges LiveCatalogue::ApplyQueued() {
    const std::vector<LiveBatch> batches = TakeQueued();
    LiveChanges changes;
    if (batches.empty()) return changes;
    {
        const WriteHold catalogue = keeper_.Write();
        for (const LiveBatch& batch : batches) {
            LiveChanges one = ApplyLiveBatch(*catalogue, batch);
            for (const TMyItem& entry : one.removed.Entries()) changes.removed.AppendCopy(entry);
            for (const TMyItem& entry : one.added.Entries()) changes.added.AppendCopy(entry);
        }
    }
    // The names follow at once; the column ranks wait for the next search or column click.
    if (!changes.Empty()) keeper_.PrepareNamesAhead(false, false);
    return changes;
}

}  // namespace quillory::command
