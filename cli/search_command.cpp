// quillory-cli search: the words joined by single blanks are the search text, parsed exactly
// as the search box's text; the results' full paths go to stdout in result order, the status
// text to stderr.
//
// Without --db (or with --db naming the working database) the running program of the same
// user is asked first: it answers from its catalogue in memory with the very bytes this
// command would print. When it is not there, is busy or slow, the database file is read.

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <ostream>

#include "cli/cli.h"
#include "command/search_channel_client.h"
#include "command/search_command.h"
#include "platform/terminal.h"

namespace quillory::cli {

namespace {

// The database path as the running program would name it: absolute, links resolved.
std::string ComparablePath(const std::string& path) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string result(resolved);
        std::free(resolved);
        return result;
    }
    if (!path.empty() && path.front() == '/') return path;
    char cwd[PATH_MAX];
    return ::getcwd(cwd, sizeof(cwd)) ? std::string(cwd) + "/" + path : path;
}

}  // namespace

int RunSearch(Context& context, const std::vector<std::string>& args) {
    const SearchRequest request = ParseSearchArguments(args);
    const bool outputIsTerminal = &context.out == &std::cout && IsTerminal(StandardStream::Output);

    if (!request.fromFile) {
        ChannelRequest ask;
        ask.databasePath = ComparablePath(DatabasePath(context));
        ask.outputIsTerminal = outputIsTerminal;
        ask.environment = OutputEnvironment();
        ask.args = args;
        if (const std::optional<int> status =
                AskRunningProgram(SearchChannelSocketPath(), ask, context.out, context.err)) {
            return *status;
        }
    }

    EntryList catalogue;
    TProgramOptions programOptions{std::string()};
    LoadCatalogue(context, catalogue, programOptions);
    // One search of a bare entry list: building the name cache would cost more than it saves.
    SearchOutcome outcome;
    SearchEntries(request, catalogue, nullptr, outcome);
    return WriteSearchOutcome(request, outcome, context.out, context.err, outputIsTerminal);
}

}  // namespace quillory::cli
