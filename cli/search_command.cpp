// quillory-cli search: the words joined by single blanks are the search text, parsed exactly
// as the search box's text; the results' full paths go to stdout in result order, the status
// text to stderr.
//
// Without --db (or with --db naming the working database) the running program of the same
// user is asked first: it answers from its catalogue in memory with the very bytes this
// command would print. When it is not there, is busy or slow, the database file is read.

#include <iostream>
#include <ostream>

#include "cli/cli.h"
#include "command/search_channel_client.h"
#include "command/search_command.h"
#include "core/activity_log.h"
#include "platform/full_path.h"
#include "platform/terminal.h"

namespace quillory::cli {

int RunSearch(Context& context, const std::vector<std::string>& args) {
    const SearchRequest request = ParseSearchArguments(args);
    const bool outputIsTerminal = &context.out == &std::cout && IsTerminal(StandardStream::Output);

    if (!request.fromFile) {
        ChannelRequest ask;
        ask.databasePath = ResolvedPath(DatabasePath(context));
        ask.outputIsTerminal = outputIsTerminal;
        ask.environment = OutputEnvironment();
        ask.args = args;
        if (const std::optional<int> status =
                AskRunningProgram(SearchChannelSocketPath(), ask, context.out, context.err)) {
            return *status;
        }
    }

    // One search of the file as it is read: no catalogue is built, only the matches are kept.
    RequireDatabase(context);
    CreateLogFolder();
    SearchOutcome outcome;
    SearchDatabaseFile(request, DatabasePath(context), outcome);
    return WriteSearchOutcome(request, outcome, context.out, context.err, outputIsTerminal);
}

}  // namespace quillory::cli
