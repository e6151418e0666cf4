#pragma once
// The listings of a walk that brings one known folder (the place) up to date: the place itself,
// all of it or some of its items, and the new folders the walk finds below it.
//
// A new folder is watched before it is opened, so nothing that changes in it after its listing
// goes unnoticed, and becomes known when it opens. A folder known already is not entered: its
// content is in the catalogue and looked after by its own watch; the walk only checks that it
// still opens.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "live/known_folders.h"
#include "platform/directory_listing.h"

namespace quillory {

class WatchingLister final : public DirectoryLister {
  public:
    // `names`: the items of the place to list (empty: all). A place not known yet (a root
    // looked at again) becomes known when it opens. `batch` is the number of the batch.
    WatchingLister(KnownFolders& known, uint32_t batch, uint32_t depth, NameFilter names);

    std::unique_ptr<FolderListing> OpenFolder(const std::string& path) override;

    // Whether the place could be opened.
    bool PlaceOpened() const { return placeOpened_; }
    // The folders known before the walk that it reached and that still open.
    const std::vector<std::string>& KnownReached() const { return reached_; }

    // For the listings: the child `name` of `parent` (whose path is `path`).
    std::unique_ptr<FolderListing> EnterChild(FolderListing& parent, std::string_view name, std::string path,
                                              uint32_t depth);

  private:
    // Before the whole place is listed again: its watch (the folder may have been replaced
    // without a notice, when notices were lost) and the stamp the quick check compares with.
    void Restamp(const std::string& path, KnownFolder& place);
    std::unique_ptr<FolderListing> OpenNew(std::string path, uint32_t depth, bool followLink,
                                           const std::function<std::unique_ptr<FolderListing>()>& open);

    KnownFolders& known_;
    uint32_t batch_;
    uint32_t depth_;
    NameFilter names_;
    bool placeOpened_ = false;
    std::vector<std::string> reached_;
};

}  // namespace quillory
