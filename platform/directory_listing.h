#pragma once
// Listing the content of a folder: one item at a time, each with its name, attribute bits,
// size and three times, read without following symbolic links and without triggering an
// automount. Folders below a listed one are opened relative to it, so a long path is never
// resolved again from the start and a folder swapped for a link between listing and opening
// is not followed.
//
// The walk uses the interface only; tests substitute their own listings.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quillory {

// A point in time as the file system reports it: seconds and nanoseconds since
// 1970-01-01 00:00 UTC.
struct FileTime {
    int64_t seconds = 0;
    uint32_t nanoseconds = 0;
};

struct ListedItem {
    std::string_view name;    // valid until the next call of Next() on the same listing
    uint32_t attributes = 0;  // attribute bits in their Windows values (0x10 folder ...)
    int64_t size = 0;         // 0 for folders
    FileTime modified;
    FileTime created;  // birth time where the file system keeps one, otherwise `modified`
    FileTime accessed;
    // A real folder (not a link to one) on which another file system is mounted.
    bool mountRoot = false;
    // The device of the file system that holds the item; for a mount root, the mounted one.
    uint32_t deviceMajor = 0;
    uint32_t deviceMinor = 0;
};

class FolderListing {
  public:
    virtual ~FolderListing() = default;
    // Fills `item` with the next item; false when the listing has ended or an error ended it
    // part-way. "." and ".." are never returned.
    virtual bool Next(ListedItem& item) = 0;
    // Opens the folder `name` that this listing returned; null when it cannot be listed.
    virtual std::unique_ptr<FolderListing> OpenChild(std::string_view name) = 0;
    // OpenChild for a listing that will have several owners; a listing may then allocate it
    // with its shared count at once.
    virtual std::shared_ptr<FolderListing> OpenSharedChild(std::string_view name) { return OpenChild(name); }
};

// Whether a folder (its full path, ending with "/") may be opened before the walk asks for it.
using ReadAheadFilter = std::function<bool(std::string_view folderPath)>;

class DirectoryLister {
  public:
    virtual ~DirectoryLister() = default;
    // Opens a folder by its path (a root of the walk; links are followed here, as the user
    // named it); null when it cannot be listed.
    virtual std::unique_ptr<FolderListing> OpenFolder(const std::string& path) = 0;
    // The folders below roots opened from now on that a lister reading ahead may open on its
    // own; the walk supplies its exclusion rule here, so a refused folder is never opened.
    // A lister that reads nothing ahead ignores it. The filter is called from other threads.
    virtual void SetReadAheadFilter(ReadAheadFilter) {}
};

// Whether a listing examines and returns the item of this name.
using NameFilter = std::function<bool(std::string_view name)>;

// The system's directory listing: getdents64 plus one statx per item.
class SystemDirectoryLister final : public DirectoryLister {
  public:
    std::unique_ptr<FolderListing> OpenFolder(const std::string& path) override;
    // OpenFolder returning only the items whose name `wanted` accepts, described exactly as the
    // whole listing would describe them; the others are skipped before they are examined, so a
    // few items of a large folder cost one read of its names. The folders opened below it
    // (OpenChild) list everything.
    static std::unique_ptr<FolderListing> OpenFolderItems(const std::string& path, NameFilter wanted);
};

}  // namespace quillory
