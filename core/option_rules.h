#pragma once
// The rules of the Options dialog that need no window: the result-limit list, the tidying of
// the folder and extension lists, the folder chooser's duplicate check, the names the database
// file dialog proposes and the one-day rule for keeping a named database up to date.
// Plain C++: lines are byte strings, exactly as the user typed them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/program_options.h"

namespace quillory {

// The items of the result-limit list, index 0 first.
inline constexpr std::string_view kResultLimitItems[] = {
    "all results", "up to 10000 results", "up to 1000 results", "up to 300 results", "up to 100 results"};
inline constexpr int kResultLimitItemCount = 5;
// What "all results" stores.
inline constexpr int32_t kAllResults = 1000000000;

// The item shown for a stored limit: the smallest item that still shows every result the
// limit allows (150 shows "up to 300 results", anything above 10000 "all results").
int ResultLimitIndex(int32_t maxResultsCount);
// The limit an item stores; -1 (nothing selected) or any other index gives `current`.
int32_t ResultLimitForIndex(int index, int32_t current);

// Folder lines, tidied from the last line to the first: an empty line is removed, any other
// line that does not end in "\" or "/" gets "/" appended. Blanks are kept.
std::vector<std::string> TidyFolderLines(std::vector<std::string> lines);

// Extension lines, tidied from the last line to the first: a line that is empty or exactly
// "." is removed; a line that begins with "." loses that one dot.
std::vector<std::string> TidyExtensionLines(std::vector<std::string> lines);

// A folder picked in the folder chooser: ends with "/" (unless it already ends in "\" or
// "/") and becomes a new last line, unless the same folder is already listed: the same
// bytes (case counts), a line's missing final "/" aside. Returns whether a line was added.
bool AddChosenFolder(std::vector<std::string>& lines, std::string folder);

// The file name of `path` without its folder and without its extension ("music" for
// "/data/music.qdb"; a leading dot is part of the name, not an extension).
std::string NameWithoutExtension(std::string_view path);
// The folder part of `path`, up to and including its last "/" (empty when there is none).
std::string FolderOf(std::string_view path);
// `path` with ".qdb" appended when its file name has no extension.
std::string WithDatabaseExtension(std::string path);

// True when the named database should receive the current catalogue: it has a file name and
// the last rescan lies less than one day from `now`, either way (a clock set back counts).
bool NamedDatabaseDue(const TProgramOptions& options, DateTime now);

// True when the catalogue may be written over `path` as its named database: nothing is there
// yet, or what is there reads as a database. Any other file (a document, a key file, a damaged
// database) is never replaced by the end of the program.
bool MayReplaceNamedDatabase(const std::string& path);

// The four lines of the message that "New DB" shows.
std::vector<std::string> NewDatabaseMessageLines();

}  // namespace quillory
