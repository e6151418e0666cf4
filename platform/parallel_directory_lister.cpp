#include "platform/parallel_directory_lister.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_attributes.h"

namespace quillory {

namespace {

// One item of a folder read ahead; its name lives in the folder's name buffer.
struct StoredItem {
    // Made in place for every item read: the offsets are set as the item is stored and the
    // data takes its own defaults. A defaulted constructor would have the whole slot cleared
    // first, for every item of every folder.
    StoredItem() {}
    size_t nameOffset;
    size_t nameSize;
    ListedItem data;  // name left empty
};

enum class JobState { Queued, Running, Done };

// Room for a typical folder's items, reserved as it is read.
constexpr size_t kItemsReserved = 32;
constexpr size_t kNameBytesReserved = 512;

}  // namespace

// One folder to read: already open (a root, or a folder the walk opened itself) or to be
// opened below its parent. A job is owned by the walk's listing of it or, before the walk
// enters it, by its parent job; the queue only refers to it, so a folder the walk has left
// behind (its parent's listing ended) is dropped from the queue by itself.
struct Job {
    ParallelDirectoryLister::Shared* shared = nullptr;
    std::shared_ptr<FolderListing> parentFolder;  // released once the folder is open
    std::string name;                             // below the parent
    size_t depth = 1;
    std::string path;                               // the folder's full path, ending with "/"
    std::shared_ptr<const ReadAheadFilter> filter;  // of the walk that opened its root
    std::shared_ptr<FolderListing> source;  // the open folder, while a subfolder may be opened through it
    bool opened = false;                    // the folder could be opened
    JobState state = JobState::Queued;      // guarded by Shared::mutex
    std::vector<StoredItem> items;
    std::string names;
    std::vector<std::shared_ptr<Job>> children;  // subfolders to read ahead, in listing order
    size_t counted = 0;                          // items added to Shared::waitingItems
};

// Ends a job once the last reference to it is gone (see Shared::Retire).
struct RetireJob {
    void operator()(Job* job) const noexcept;
};

std::shared_ptr<Job> NewJob(ParallelDirectoryLister::Shared* shared) {
    Job* job = new Job;
    job->shared = shared;
    return std::shared_ptr<Job>(job, RetireJob{});
}

struct ParallelDirectoryLister::Shared {
    Settings settings;
    std::mutex mutex;
    std::condition_variable workAvailable;  // for workers: a job queued, room again, or stop
    std::condition_variable jobDone;        // for the walk: a job it waits for is done
    std::vector<std::weak_ptr<Job>> stack;  // queued jobs; the last is taken first
    size_t waitingItems = 0;
    bool stopping = false;
    std::vector<std::thread> workers;

    // A job whose last reference is gone: its items no longer wait.
    void Retire(Job* job) noexcept {
        bool resume = false;
        {
            std::lock_guard lock(mutex);
            if (job->counted != 0) {
                // Readers paused at the limit are woken once half of it has been taken, not
                // for every folder the walk leaves: that would cost a sleep and a wake-up per
                // folder.
                const size_t mark = std::max<size_t>(1, settings.maxWaitingItems / 2);
                resume = waitingItems >= mark && waitingItems - job->counted < mark;
                waitingItems -= job->counted;
                job->counted = 0;
            }
        }
        // Outside the lock: freeing the job drops its subfolders, which may retire them.
        delete job;
        if (resume) workAvailable.notify_all();
    }

    // Reads the job's folder (the caller has set it Running) and marks it Done.
    void Process(const std::shared_ptr<Job>& job) {
        if (!job->source && job->parentFolder) job->source = job->parentFolder->OpenSharedChild(job->name);
        // Released here, outside the lock: it may be the parent's last holder, and closing a
        // folder takes a while.
        job->parentFolder.reset();
        // Filled here and read by the walk only once the job is Done.
        std::vector<std::shared_ptr<Job>>& children = job->children;
        // A subfolder the walk may open through this folder itself (one not read ahead).
        bool walkMayOpen = false;
        const bool opened = job->source != nullptr;
        std::string path;  // a subfolder's
        if (opened) {
            job->items.reserve(kItemsReserved);
            job->names.reserve(kNameBytesReserved);
            // Each item is read straight into its slot: an item is copied once more, to the
            // walk, and no more.
            for (;;) {
                StoredItem& stored = job->items.emplace_back();
                ListedItem& item = stored.data;
                if (!job->source->Next(item)) {
                    job->items.pop_back();
                    break;
                }
                const std::string_view name = item.name;  // valid until the next item is read
                stored.nameOffset = job->names.size();
                stored.nameSize = name.size();
                job->names.append(name);
                item.name = {};
                const bool folder =
                    (item.attributes & kAttrDirectory) && !(item.attributes & kAttrReparsePoint);
                const size_t pathLength = job->path.size() + name.size() + 1;
                if (!folder) continue;
                if (item.mountRoot || job->depth >= settings.deepestLevel ||
                    pathLength > settings.longestPath) {
                    walkMayOpen = true;
                    continue;
                }
                path.assign(job->path).append(name).push_back('/');
                if (job->filter && *job->filter && !(*job->filter)(path)) {
                    walkMayOpen = true;
                    continue;
                }
                auto child = NewJob(this);
                child->parentFolder = job->source;
                child->name.assign(name);
                child->depth = job->depth + 1;
                child->path.assign(path);
                child->filter = job->filter;
                children.push_back(std::move(child));
            }
        }
        // Nothing else is opened through the folder but its subfolders read ahead, which hold
        // it themselves until they are open: it is closed here, by the thread that read it,
        // as soon as the last of them is open.
        std::shared_ptr<FolderListing> finished;
        if (!walkMayOpen) finished = std::move(job->source);
        {
            std::lock_guard lock(mutex);
            job->opened = opened;
            job->state = JobState::Done;
            job->counted = job->items.size();
            waitingItems += job->counted;
            // The first subfolder is taken first, as the walk will enter it first.
            for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
        }
        jobDone.notify_all();
        workAvailable.notify_all();
    }

    // The next queued job that may be read now (the caller holds the lock), marked Running;
    // null when none is queued or reading ahead must pause. Jobs met on the way that another
    // thread reads or has read go to `passed`, which the caller empties only after unlocking:
    // dropping the last reference to a job takes the lock.
    std::shared_ptr<Job> TakeQueued(std::vector<std::shared_ptr<Job>>& passed) {
        while (!stack.empty() && waitingItems < settings.maxWaitingItems) {
            std::shared_ptr<Job> job = stack.back().lock();
            stack.pop_back();
            if (!job) continue;
            if (job->state == JobState::Queued) {
                job->state = JobState::Running;
                return job;
            }
            passed.push_back(std::move(job));
        }
        return nullptr;
    }

    // Makes sure the job is read: reads it here when no worker has begun. While a worker reads
    // it, this thread reads the next queued folder (one the walk enters soon) instead of
    // sleeping: the hand-off then costs no sleep and wake-up per folder, and the walk's thread
    // does its share of the system calls.
    void Complete(const std::shared_ptr<Job>& job) {
        std::vector<std::shared_ptr<Job>> passed;  // emptied only while the lock is free
        std::unique_lock lock(mutex);
        for (;;) {
            if (job->state == JobState::Done) return;
            if (job->state == JobState::Queued) {
                job->state = JobState::Running;
                lock.unlock();
                Process(job);
                return;
            }
            std::shared_ptr<Job> other = TakeQueued(passed);
            if (other || !passed.empty()) {
                lock.unlock();
                passed.clear();
                if (other) Process(other);
                other.reset();
                lock.lock();
                continue;
            }
            jobDone.wait(lock, [&] {
                return job->state == JobState::Done ||
                       (!stack.empty() && waitingItems < settings.maxWaitingItems);
            });
        }
    }

    void Work() {
        for (;;) {
            std::vector<std::shared_ptr<Job>> passed;
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(mutex);
                workAvailable.wait(lock, [&] {
                    return stopping || (!stack.empty() && waitingItems < settings.maxWaitingItems);
                });
                if (stopping) return;
                job = TakeQueued(passed);
            }
            // Outside the lock: dropping the last reference to a job takes the lock.
            passed.clear();
            if (job) Process(job);
        }
    }
};

void RetireJob::operator()(Job* job) const noexcept {
    if (job->shared == nullptr) {
        delete job;
        return;
    }
    job->shared->Retire(job);
}

namespace {

// The walk's view of one folder read (or being read) ahead.
class PrefetchedListing final : public FolderListing {
  public:
    PrefetchedListing(std::shared_ptr<ParallelDirectoryLister::Shared> shared, std::shared_ptr<Job> job)
        : shared_(std::move(shared)), job_(std::move(job)) {
        shared_->Complete(job_);
    }

    bool Open() const { return job_->opened; }

    bool Next(ListedItem& item) override {
        if (next_ >= job_->items.size()) return false;
        const StoredItem& stored = job_->items[next_++];
        item = stored.data;
        item.name = std::string_view(job_->names).substr(stored.nameOffset, stored.nameSize);
        return true;
    }

    std::unique_ptr<FolderListing> OpenChild(std::string_view name) override {
        // Subfolders are entered in listing order, so the search goes on where it stopped.
        auto& children = job_->children;
        for (size_t i = childCursor_; i < children.size(); ++i) {
            if (children[i]->name != name) continue;
            childCursor_ = i + 1;
            // The listing owns the child from now on; the folders passed over stay with
            // this job until it ends.
            auto listing = std::make_unique<PrefetchedListing>(shared_, std::move(children[i]));
            if (!listing->Open()) return nullptr;
            return listing;
        }
        // Not read ahead (a mount root, or beyond the limits): read it here.
        if (!job_->source) return nullptr;
        auto job = NewJob(shared_.get());
        job->source = job_->source->OpenSharedChild(name);
        if (!job->source) return nullptr;
        job->depth = job_->depth + 1;
        job->path = job_->path;
        job->path.append(name).push_back('/');
        job->filter = job_->filter;
        return std::make_unique<PrefetchedListing>(shared_, std::move(job));
    }

  private:
    std::shared_ptr<ParallelDirectoryLister::Shared> shared_;
    std::shared_ptr<Job> job_;
    size_t next_ = 0;
    size_t childCursor_ = 0;
};

}  // namespace

ParallelDirectoryLister::ParallelDirectoryLister() : ParallelDirectoryLister(Settings{}) {}

namespace {

DirectoryLister& SystemLister() {
    static SystemDirectoryLister lister;  // holds no state: shared by every lister
    return lister;
}

}  // namespace

ParallelDirectoryLister::ParallelDirectoryLister(Settings settings)
    : ParallelDirectoryLister(settings, SystemLister()) {}

ParallelDirectoryLister::ParallelDirectoryLister(Settings settings, DirectoryLister& source)
    : source_(source), shared_(std::make_shared<Shared>()) {
    shared_->settings = settings;
    for (size_t i = 0; i < settings.workers; ++i) {
        shared_->workers.emplace_back([shared = shared_.get()] { shared->Work(); });
    }
}

ParallelDirectoryLister::~ParallelDirectoryLister() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->workAvailable.notify_all();
    for (std::thread& worker : shared_->workers) worker.join();
}

std::unique_ptr<FolderListing> ParallelDirectoryLister::OpenFolder(const std::string& path) {
    std::unique_ptr<FolderListing> source = source_.OpenFolder(path);
    if (!source) return nullptr;
    auto job = NewJob(shared_.get());
    job->source = std::move(source);
    job->path = path;
    if (path.empty() || path.back() != '/') job->path.push_back('/');
    job->filter = filter_;
    return std::make_unique<PrefetchedListing>(shared_, std::move(job));
}

}  // namespace quillory

namespace quillory {

void ParallelDirectoryLister::SetReadAheadFilter(ReadAheadFilter mayRead) {
    // Jobs keep the filter of their root, so a walk of the next root never changes the rule
    // for folders of the previous one that workers are still reading.
    filter_ = std::make_shared<const ReadAheadFilter>(std::move(mayRead));
}

}  // namespace quillory
