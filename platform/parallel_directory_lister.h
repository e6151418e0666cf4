#pragma once
// A directory listing that reads folders ahead on worker threads. The walk still asks for
// folders and items one at a time, in its own order, and gets exactly what the system listing
// would give; meanwhile the workers list the subfolders of folders already read (the
// directory read and one statx per item, the cost of a walk) so that most folders are ready
// when the walk enters them. The system calls of a walk spread over several cores while the
// catalogue is still filled by one thread in depth-first order.
//
// Workers never open a mount root (entering one is the walk's decision; opening an automount
// point would mount it), a link, nor a folder the read-ahead filter refuses (an excluded
// folder is never opened, however slow or large it is), and stop reading ahead when a bounded number of items
// waits unread. A folder the walk reaches before any worker is read by the walk's own thread;
// while a worker still reads the folder the walk waits for, the walk's thread reads the next
// queued one rather than sleep, so the hand-off costs no sleep and wake-up per folder. A
// folder is closed by the thread that read it once its last subfolder read ahead is open.
// The workers end when the lister is destroyed.

#include <cstddef>
#include <memory>

#include "platform/directory_listing.h"

namespace quillory {

class ParallelDirectoryLister final : public DirectoryLister {
  public:
    struct Settings {
        size_t workers = 2;
        // Folders deeper than this (a root being depth 1) are not read ahead.
        size_t deepestLevel = 100;
        // Folders whose path (with its final "/") is longer than this are not read ahead.
        size_t longestPath = 4095;
        // Reading ahead pauses while this many items wait unread.
        size_t maxWaitingItems = 1 << 13;
    };

    ParallelDirectoryLister();
    explicit ParallelDirectoryLister(Settings settings);
    // Reads through `source` (which must outlive the lister) instead of the system listing.
    ParallelDirectoryLister(Settings settings, DirectoryLister& source);
    ~ParallelDirectoryLister() override;
    ParallelDirectoryLister(const ParallelDirectoryLister&) = delete;
    ParallelDirectoryLister& operator=(const ParallelDirectoryLister&) = delete;

    std::unique_ptr<FolderListing> OpenFolder(const std::string& path) override;
    void SetReadAheadFilter(ReadAheadFilter mayRead) override;

    struct Shared;

  private:
    DirectoryLister& source_;
    std::shared_ptr<const ReadAheadFilter> filter_;  // for roots opened from now on
    std::shared_ptr<Shared> shared_;
};

}  // namespace quillory
