#pragma once
// One catalogue entry: a file or folder with its name, folder, three times, size and
// attribute bits. Entries are plain values that refer to texts held by the EntryList that
// owns them; an entry is created and named only through that list.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/date_time.h"
#include "platform/file_attributes.h"

namespace quillory {

inline constexpr std::string_view kFolderExt = "Folder";

// A folder text interned by an EntryList. Entries of one folder share one copy. A FolderRef
// belongs to the list that made it and stays valid until that list is cleared.
class FolderRef {
  public:
    FolderRef() = default;
    std::string_view Text() const { return {data_, size_}; }

  private:
    friend class EntryList;
    friend class TMyItem;
    FolderRef(const char* data, uint32_t size) : data_(data), size_(size) {}
    const char* data_ = "";
    uint32_t size_ = 0;
};

class TMyItem {
  public:
    static constexpr size_t kMaxNameBytes = 65535;

    std::string_view Name() const { return {name_, nameSize_}; }
    // The folder that holds the entry; it ends with "/" (or is empty).
    std::string_view Folder() const { return {folder_, folderSize_}; }
    void SetFolder(FolderRef folder) {
        folder_ = folder.data_;
        folderSize_ = folder.size_;
    }

    // "Folder" for a folder; otherwise the text after the last dot of the name (empty when
    // there is none). Always derived, so it can never disagree with the name or the bits.
    std::string_view Ext() const {
        if (Attributes & kAttrDirectory) return kFolderExt;
        const std::string_view name = Name();
        const size_t dot = name.rfind('.');
        return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
    }

    // Result-list column texts 1 to 4: Folder, (size and date are shown from the numbers, so
    // slots 2 and 3 stay empty), Ext.
    std::string_view ColumnText(int slot) const {
        if (slot == 1) return Folder();
        if (slot == 4) return Ext();
        return {};
    }

    DateTime Modified = 0;
    DateTime Created = 0;
    DateTime Accessed = 0;
    int64_t Size = 0;

  private:
    friend class EntryList;
    const char* name_ = "";
    const char* folder_ = "";
    uint32_t folderSize_ = 0;

  public:
    uint32_t Attributes = 0;
    int32_t IconIndex = 0;

  private:
    uint16_t nameSize_ = 0;  // a name is at most 65535 bytes, as the database stores it

  public:
    bool Selected = false;
};

// Millions of entries: every byte of an entry counts.
static_assert(sizeof(TMyItem) <= 64);

// Copies the values an entry holds beside its texts (times, size, attribute bits) from `from`:
// another entry, or anything with fields of the same names, such as a database record.
template <class Values>
void CopyEntryValues(TMyItem& to, const Values& from) {
    to.Modified = from.Modified;
    to.Created = from.Created;
    to.Accessed = from.Accessed;
    to.Size = from.Size;
    to.Attributes = from.Attributes;
}

// Folder followed directly by name; the folder already ends with its separator.
std::string EntryFullPath(const TMyItem& entry);

}  // namespace quillory
