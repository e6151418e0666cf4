#pragma once
// The two filters of the walk: which folders it keeps out (excluded folders) and which files
// it records (the extension filter). Both ignore case by the engine's one-to-one case mapping.

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Excluded folders. A folder is refused when its path is an excluded line or lies below one;
// the folders on the way down to an excluded folder are walked as usual. A line that names a
// root being walked, or a folder above it, does not apply within that root (otherwise it would
// refuse the whole root).
class ExcludedFolderList {
  public:
    ExcludedFolderList() = default;
    // Empty lines name no folder and are dropped; a line without a final "/" gets one, so
    // "/data/old" never refuses "/data/older/".
    explicit ExcludedFolderList(const std::vector<std::string>& lines);

    // The lines that apply while walking `root`.
    ExcludedFolderList ForRoot(std::string_view root) const;

    bool Empty() const { return folded_.empty(); }
    size_t Size() const { return folded_.size(); }

  private:
    friend bool IsFolderAllowed(const ExcludedFolderList& list, std::string_view folderPath);
    std::vector<std::string> folded_;  // upper-cased, each ending with "/"
};

// False when `folderPath` (ending with "/") is an excluded folder or lies below one.
bool IsFolderAllowed(const ExcludedFolderList& list, std::string_view folderPath);

// A sorted set of extensions (without dot) whose membership ignores case; duplicates collapse.
class ExtensionSet {
  public:
    ExtensionSet() = default;
    explicit ExtensionSet(const std::vector<std::string>& lines);
    bool Contains(std::string_view extension) const;
    size_t Size() const { return folded_.size(); }

  private:
    std::vector<std::string> folded_;  // upper-cased, sorted, unique
};

struct ExtensionFilter {
    bool on = false;           // ExtensionFilterOn
    bool includeMode = false;  // IncludeExtensionsMode
    bool excludeMode = false;  // ExcludeExtensionsMode
    ExtensionSet included;
    ExtensionSet excluded;
};

// The extension of a name: the text after its last dot, empty when it has none.
std::string_view NameExtension(std::string_view name);

// Whether a file of this name is recorded. In include mode a file without extension is
// refused; in exclude mode it is kept. Folders are never asked.
bool ExtensionAccepted(const ExtensionFilter& filter, std::string_view name);

}  // namespace quillory
