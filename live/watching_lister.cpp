#include "live/watching_lister.h"

#include <utility>

namespace quillory {

namespace {

class WatchingListing final : public FolderListing {
  public:
    WatchingListing(WatchingLister& lister, std::unique_ptr<FolderListing> inner, std::string path,
                    uint32_t depth)
        : lister_(lister), inner_(std::move(inner)), path_(std::move(path)), depth_(depth) {}

    bool Next(ListedItem& item) override { return inner_->Next(item); }

    std::unique_ptr<FolderListing> OpenChild(std::string_view name) override {
        std::string child = path_;
        child.append(name).push_back('/');
        return lister_.EnterChild(*inner_, name, std::move(child), depth_ + 1);
    }

  private:
    WatchingLister& lister_;
    std::unique_ptr<FolderListing> inner_;
    std::string path_;
    uint32_t depth_;
};

}  // namespace

WatchingLister::WatchingLister(KnownFolders& known, uint32_t batch, uint32_t depth, NameFilter names)
    : known_(known), batch_(batch), depth_(depth), names_(std::move(names)) {}

std::unique_ptr<FolderListing> WatchingLister::OpenFolder(const std::string& path) {
    std::unique_ptr<FolderListing> listing;
    if (KnownFolder* place = known_.Find(path)) {
        place->listing = batch_;
        if (!names_) Restamp(path, *place);
        listing = names_ ? SystemDirectoryLister::OpenFolderItems(path, names_)
                         : SystemDirectoryLister().OpenFolder(path);
        if (listing) listing = std::make_unique<WatchingListing>(*this, std::move(listing), path, depth_);
    } else {
        // A root (the user named it: a link to it is followed).
        listing = OpenNew(path, depth_, true, [&] { return SystemDirectoryLister().OpenFolder(path); });
    }
    placeOpened_ = listing != nullptr;
    return listing;
}

void WatchingLister::Restamp(const std::string& path, KnownFolder& place) {
    known_.Rewatch(path);
    if (const std::optional<FolderStamp> stamp = ReadFolderStamp(path, true)) {
        place.modified = stamp->modified;
        place.changed = stamp->changed;
    }
}

std::unique_ptr<FolderListing> WatchingLister::EnterChild(FolderListing& parent, std::string_view name,
                                                          std::string path, uint32_t depth) {
    if (known_.Contains(path)) {
        if (parent.OpenChild(name)) reached_.push_back(std::move(path));
        return nullptr;
    }
    return OpenNew(std::move(path), depth, false, [&] { return parent.OpenChild(name); });
}

std::unique_ptr<FolderListing> WatchingLister::OpenNew(
    std::string path, uint32_t depth, bool followLink,
    const std::function<std::unique_ptr<FolderListing>()>& open) {
    // Watched first, stamped next, listed last: a change after the listing began is noticed,
    // and one the quick check must find moves the stamp.
    const int watch = known_.Watch(path);
    const std::optional<FolderStamp> stamp = ReadFolderStamp(path, followLink);
    std::unique_ptr<FolderListing> inner = open();
    if (!inner) {
        known_.Unwatch(watch);
        return nullptr;
    }
    KnownFolder folder{watch, depth, batch_, {}, {}};
    if (stamp) {
        folder.modified = stamp->modified;
        folder.changed = stamp->changed;
    }
    known_.Add(path, folder);
    return std::make_unique<WatchingListing>(*this, std::move(inner), std::move(path), depth);
}

}  // namespace quillory
