#pragma once
// quillory-cli: the engine's face for scripts, tests and benchmarks. Each command is a
// function over a context that holds the global options and the output streams, so tests
// can run commands in-process and capture what they print.

#include <iosfwd>
#include <string>
#include <vector>

#include "command/command_status.h"
#include "core/entry_list.h"
#include "core/program_options.h"

namespace quillory::cli {

// The commands are written in terms of the search command's parts and status codes.
using namespace quillory::command;

struct Context {
    std::string dbPath;  // empty: the working database
    std::ostream& out;
    std::ostream& err;
};

// The database the command works on: --db FILE, or the working database in the data folder.
std::string DatabasePath(const Context& context);

// Creates the data folder, which holds the activity log. A folder that cannot be created
// costs only the log's lines (the log reports that itself), never the command: a database
// named with --db is read and written all the same.
void CreateLogFolder();

// Throws Error, saying how to make one, when the command's database does not exist yet.
void RequireDatabase(const Context& context);
// Creates the data folder (it holds the activity log) and loads the database into
// `catalogue` and `options`, logging as the program does.
void LoadCatalogue(const Context& context, EntryList& catalogue, TProgramOptions& options);

int RunInfo(Context& context, const std::vector<std::string>& args);
// Exit status 0 with results, 1 with none.
int RunSearch(Context& context, const std::vector<std::string>& args);
// Rescans the database's folders (or those given) and saves it; exit 130 when Ctrl+C stopped it.
int RunScan(Context& context, const std::vector<std::string>& args);

// Parses the global options and runs the command; returns the exit status.
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace quillory::cli
