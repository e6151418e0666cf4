#pragma once
// The five search options, captured from the window's boxes when a search starts.

namespace quillory {

struct TSearchOptions {
    bool CaseSensitive = false;
    bool WholeWords = false;
    bool FindFolders = true;
    bool FindFiles = true;
    bool FullPath = false;
};

// "Find folders" and "Find files" are never both unticked: unticking one ticks the other.
inline void FindFoldersChanged(TSearchOptions& options) {
    if (!options.FindFolders) options.FindFiles = true;
}
inline void FindFilesChanged(TSearchOptions& options) {
    if (!options.FindFiles) options.FindFolders = true;
}

}  // namespace quillory
