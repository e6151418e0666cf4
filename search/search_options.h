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

}  // namespace quillory
