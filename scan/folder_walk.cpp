#include "scan/folder_walk.h"

#include <algorithm>
#include <memory>

#include "scan/file_time.h"

namespace quillory {

namespace {

constexpr uint32_t kFolderBit = kAttrDirectory;

bool SameTime(FileTime a, FileTime b) {
    return a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

// One open listing of the level stack.
struct Level {
    std::unique_ptr<FolderListing> listing;
    size_t pathLength;  // length of the folder's path (with its final "/") in the walk's path
    FolderRef folder;   // the folder text of its entries, interned at the first one
    bool folderInterned = false;
};

class FolderWalk {
  public:
    FolderWalk(const WalkLists& lists, EntryList& catalogue, std::stop_token stop, WalkServices services,
               const WalkLimits& limits)
        : lists_(lists), catalogue_(catalogue), stop_(std::move(stop)), services_(services), limits_(limits) {
        levels_.reserve(limits.deepestLevel);
    }

    WalkOutcome Run() {
        catalogue_.Clear();
        std::vector<std::string> outer;
        PlanRoots(outer);
        for (const std::string& root : outer) {
            if (!WalkRoot(root)) return Stopped();
        }
        // Inner roots no walk entered, outer ones first: walking one may enter the next.
        for (const InnerRoot& root : inner_) {
            if (!root.entered && !WalkRoot(root.path)) return Stopped();
        }
        return WalkOutcome::Completed;
    }

  private:
    // A root inside another root, left to the walk of the outer one.
    struct InnerRoot {
        std::string path;
        bool entered = false;  // a walk has entered it, so its content is in the catalogue
    };

    WalkOutcome Stopped() {
        levels_.clear();
        return WalkOutcome::Stopped;
    }

    // Every distinct root once, each ending with "/": the roots inside no other root, in line
    // order, go to `outer`; the others to inner_, shortest first. Paths compare byte for byte,
    // as the file system names folders. Whether an inner root is covered is known only once a
    // walk enters it: the outer walk may refuse it (a mount it may not enter, a link on the
    // way, the deepest level, a folder it cannot open) and then it is walked on its own. So is
    // an inner root lying in a folder the outer walk excludes: a folder named as a root is
    // walked whatever excluded folder lies above it, as it was before roots could overlap,
    // since the user asked for that folder by name.
    void PlanRoots(std::vector<std::string>& outer) {
        std::vector<std::string> roots;
        for (const std::string& line : lists_.includedFolders) {
            // An empty line names no folder (it must not become "/", the whole disk).
            if (line.empty()) continue;
            std::string root = line;
            // A root line from a database written elsewhere may lack its final separator.
            if (root.back() != '/') root.push_back('/');
            if (std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(std::move(root));
        }
        inner_.clear();
        for (const std::string& root : roots) {
            const bool inside = std::any_of(roots.begin(), roots.end(), [&](const std::string& other) {
                return other.size() < root.size() && root.starts_with(other);
            });
            if (inside) {
                inner_.push_back({root});
            } else {
                outer.push_back(root);
            }
        }
        std::stable_sort(inner_.begin(), inner_.end(), [](const InnerRoot& a, const InnerRoot& b) {
            return a.path.size() < b.path.size();
        });
    }

    // Called for every folder entered below a root, its path in path_.
    void NoteEntered() {
        for (InnerRoot& root : inner_) {
            if (root.path == path_) root.entered = true;
        }
    }

    // False when the walk was stopped.
    bool WalkRoot(const std::string& root) {
        path_ = root;
        if (path_.size() > limits_.longestPath || limits_.deepestLevel == 0) return true;
        exclusions_ = lists_.excludedFolders.ForRoot(path_);
        // Workers reading ahead follow the same rule: a refused folder is never opened.
        services_.lister.SetReadAheadFilter([exclusions = exclusions_](std::string_view folder) {
            return IsFolderAllowed(exclusions, folder);
        });
        std::unique_ptr<FolderListing> listing = services_.lister.OpenFolder(path_);
        if (!listing) return true;
        levels_.push_back({std::move(listing), path_.size(), {}, false});
        while (!levels_.empty()) {
            if (!Step()) return false;
            MaybeReport();
            if (stop_.stop_requested()) return false;
        }
        return true;
    }

    // Looks at the next item of the deepest level. False when the walk must stop.
    bool Step() {
        Level& level = levels_.back();
        if (!level.listing->Next(item_)) {
            levels_.pop_back();
            path_.resize(levels_.empty() ? 0 : levels_.back().pathLength);
            return true;
        }
        if (!(item_.attributes & kFolderBit)) {
            if (ExtensionAccepted(lists_.extensions, item_.name)) Record(level);
            return true;
        }
        const size_t parentLength = level.pathLength;
        path_.append(item_.name);
        path_.push_back('/');
        if (!IsFolderAllowed(exclusions_, path_)) {
            path_.resize(parentLength);
            return true;
        }
        if (stop_.stop_requested()) return false;
        Record(level);
        if (limits_.progressInterval != 0 && catalogue_.Count() % limits_.progressInterval == 0) {
            progressFolder_ = path_;
            progressFound_ = catalogue_.Count();
            progressChanged_ = true;
            MaybeReport();
        }
        if (MayList()) {
            std::unique_ptr<FolderListing> child = level.listing->OpenChild(item_.name);
            if (child) {
                if (!inner_.empty()) NoteEntered();
                // `level` is not used after this point: the stack may grow in place.
                levels_.push_back({std::move(child), path_.size(), {}, false});
                return true;
            }
        }
        path_.resize(parentLength);
        return true;
    }

    // Whether the folder just recorded (its path in path_) is entered.
    bool MayList() {
        // A link is never followed: it would repeat whole trees and can loop without end.
        if (item_.attributes & kAttrReparsePoint) return false;
        if (levels_.size() >= limits_.deepestLevel) return false;
        if (path_.size() > limits_.longestPath) return false;
        if (item_.mountRoot && !services_.mounts.MayEnter(item_.deviceMajor, item_.deviceMinor)) return false;
        return true;
    }

    void Record(Level& level) {
        if (!level.folderInterned) {
            level.folder = catalogue_.InternFolder(std::string_view(path_).substr(0, level.pathLength));
            level.folderInterned = true;
        }
        TMyItem& entry = catalogue_.AcquireEntry(item_.name);
        entry.IconIndex = -1;
        entry.SetFolder(level.folder);
        entry.Size = item_.size;
        // Most items carry the same time twice or three times (a file never touched since it
        // was written): such a time is converted once.
        const DateTime modified = times_.Date(item_.modified);
        entry.Modified = modified;
        entry.Created = SameTime(item_.created, item_.modified) ? modified : times_.Date(item_.created);
        entry.Accessed = SameTime(item_.accessed, item_.modified) ? modified : times_.Date(item_.accessed);
        entry.Attributes = item_.attributes;
    }

    // At most once per event interval: the latest progress point (a copy), when it changed,
    // and the heartbeat.
    void MaybeReport() {
        const int64_t now = services_.ticks();
        if (reported_ && now - lastReport_ < limits_.eventIntervalMs) return;
        reported_ = true;
        lastReport_ = now;
        if (progressChanged_) {
            progressChanged_ = false;
            services_.observer.Progress(progressFolder_, progressFound_);
        }
        services_.observer.Heartbeat();
    }

    const WalkLists& lists_;
    EntryList& catalogue_;
    std::stop_token stop_;
    WalkServices services_;
    const WalkLimits& limits_;
    ExcludedFolderList exclusions_;
    std::vector<InnerRoot> inner_;
    std::vector<Level> levels_;
    std::string path_;  // the deepest level's folder path, or a folder just found below it
    ListedItem item_;
    LocalTimeConverter times_;
    bool reported_ = false;
    int64_t lastReport_ = 0;
    std::string progressFolder_;
    size_t progressFound_ = 0;
    bool progressChanged_ = false;
};

}  // namespace

WalkOutcome WalkFolders(const WalkLists& lists, EntryList& catalogue, std::stop_token stop,
                        WalkServices services, const WalkLimits& limits) {
    return FolderWalk(lists, catalogue, std::move(stop), services, limits).Run();
}

}  // namespace quillory
