#include "scan/folder_filters.h"

#include <algorithm>

#include "platform/text.h"

namespace quillory {

ExcludedFolderList::ExcludedFolderList(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        std::string folded = text::UpperCase(line);
        if (folded.back() != '/') folded.push_back('/');
        folded_.push_back(std::move(folded));
    }
}

ExcludedFolderList ExcludedFolderList::ForRoot(std::string_view root) const {
    std::string foldedRoot = text::UpperCase(root);
    if (foldedRoot.empty() || foldedRoot.back() != '/') foldedRoot.push_back('/');
    ExcludedFolderList applying;
    for (const std::string& line : folded_) {
        if (!foldedRoot.starts_with(line)) applying.folded_.push_back(line);
    }
    return applying;
}

bool IsFolderAllowed(const ExcludedFolderList& list, std::string_view folderPath) {
    if (list.folded_.empty()) return true;
    const std::string folded = text::UpperCase(folderPath);
    return std::none_of(list.folded_.begin(), list.folded_.end(),
                        [&](const std::string& line) { return std::string_view(folded).starts_with(line); });
}

ExtensionSet::ExtensionSet(const std::vector<std::string>& lines) {
    folded_.reserve(lines.size());
    for (const std::string& line : lines) folded_.push_back(text::UpperCase(line));
    std::sort(folded_.begin(), folded_.end());
    folded_.erase(std::unique(folded_.begin(), folded_.end()), folded_.end());
}

bool ExtensionSet::Contains(std::string_view extension) const {
    if (folded_.empty()) return false;
    std::string folded;
    text::AppendUpperCase(extension, folded);
    return std::binary_search(folded_.begin(), folded_.end(), folded);
}

std::string_view NameExtension(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

bool ExtensionAccepted(const ExtensionFilter& filter, std::string_view name) {
    if (!filter.on) return true;
    const std::string_view extension = NameExtension(name);
    if (filter.includeMode) return filter.included.Contains(extension);
    if (filter.excludeMode) return !filter.excluded.Contains(extension);
    return true;
}

}  // namespace quillory
