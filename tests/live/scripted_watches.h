#pragma once
// The system's folder watches with a test in between: it can make the system run out of
// watches after a number of them, and lose every notice up to a moment, then report the loss.

#include <atomic>
#include <cerrno>
#include <climits>
#include <memory>

#include "platform/folder_watches.h"

namespace quillory::test {

class ScriptedWatches final : public FolderWatches {
  public:
    struct Script {
        std::atomic<int> addsLeft{INT_MAX};  // then -ENOSPC
        std::atomic<bool> losing{false};     // notices are read and thrown away
        std::atomic<bool> reportLoss{false};
        std::atomic<FolderWatches*> watches{nullptr};

        // Every notice of the changes made so far is lost, then the loss is reported.
        void LoseNoticesSoFar() {
            reportLoss = true;
            if (FolderWatches* w = watches.load()) w->Wake();
        }
    };

    explicit ScriptedWatches(std::shared_ptr<Script> script)
        : system_(OpenSystemFolderWatches()), script_(std::move(script)) {
        script_->watches = this;
    }
    ~ScriptedWatches() override { script_->watches = nullptr; }

    int Add(const std::string& path) override {
        if (script_->addsLeft.fetch_sub(1) <= 0) return -ENOSPC;
        return system_->Add(path);
    }
    void Remove(int watch) override { system_->Remove(watch); }
    void Wake() override { system_->Wake(); }

    void Wait(int timeoutMs, const Sink& sink) override {
        if (script_->reportLoss.exchange(false)) {
            // The changes were made before: their notices are all queued by now.
            bool any = true;
            while (any) {
                any = false;
                system_->Wait(0, [&](const WatchEvent&) { any = true; });
            }
            script_->losing = false;
            sink({-1, kWatchOverflow, {}});
            return;
        }
        // Decided notice by notice: a notice read after the loss began is lost.
        system_->Wait(timeoutMs, [&](const WatchEvent& event) {
            if (!script_->losing) sink(event);
        });
    }

  private:
    std::unique_ptr<FolderWatches> system_;
    std::shared_ptr<Script> script_;
};

}  // namespace quillory::test
