#pragma once
// A folder tree that never ends, for rescans that run until they are stopped: one item a
// millisecond, every twentieth a folder of the same kind.

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/directory_listing.h"

namespace quillory::test {

class EndlessListing final : public FolderListing {
  public:
    bool Next(ListedItem& item) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const bool folder = count_ % 20 == 19;
        name_ = (folder ? "dir" : "file") + std::to_string(count_++) + (folder ? "" : ".txt");
        item = ListedItem{};
        item.name = name_;
        item.attributes = folder ? 0x10 : 0x80;
        return true;
    }
    std::unique_ptr<FolderListing> OpenChild(std::string_view) override {
        return std::make_unique<EndlessListing>();
    }

  private:
    std::string name_;
    size_t count_ = 0;
};

class EndlessLister final : public DirectoryLister {
  public:
    std::unique_ptr<FolderListing> OpenFolder(const std::string&) override {
        return std::make_unique<EndlessListing>();
    }
};

}  // namespace quillory::test
