#include <iostream>
#include <map>
#include <ostream>

#include "cli/cli.h"
#include "platform/error.h"

namespace quillory::cli {

namespace {

using Command = int (*)(Context&, const std::vector<std::string>&);

const std::map<std::string, Command>& Commands() {
    static const std::map<std::string, Command> commands = {
        {"info", RunInfo},
        {"search", RunSearch},
        {"scan", RunScan},
    };
    return commands;
}

constexpr const char* kUsage =
    "usage: quillory-cli [--db FILE] COMMAND [OPTIONS]\n"
    "       quillory-cli --help | --version\n"
    "\n"
    "commands:\n"
    "  info [--json]     the database header and the number of records read\n"
    "  search [OPTIONS] [--] [WORDS...]\n"
    "                    full paths of the entries that match the words (joined by blanks\n"
    "                    into one search text); options:\n"
    "                      -c, --count        print only the number of matches\n"
    "                      -l, --limit N      at most N results (default 10000, 0 = no\n"
    "                                         limit; with --count: no limit unless given)\n"
    "                      -s, --case         case-sensitive\n"
    "                      -w, --whole-words  terms count only as whole words\n"
    "                      -p, --full-path    match the full path instead of the name\n"
    "                      --no-folders, --no-files\n"
    "                      -0                 NUL after each path instead of a newline\n"
    "                      --sort COLUMN[:desc]  name, folder, size, date or ext\n"
    "                      --format list|table, --fields F,...  (with table: name, folder,\n"
    "                                         size, created, modified, accessed, ext,\n"
    "                                         attributes)\n"
    "                      --from-file        read the database file even when the\n"
    "                                         running program could answer from memory\n"
    "  scan [--include DIR]... [--exclude DIR]... [--ext-include LIST | --ext-exclude LIST |\n"
    "       --no-ext-filter]\n"
    "                    rescan the database's folders and save it (Ctrl+C: stop, save\n"
    "                    nothing, exit 130)\n"
    "\n"
    "FILE defaults to index.dat in the data folder ($XDG_DATA_HOME/quillory).\n";

}  // namespace

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Context context{{}, out, err};
    size_t i = 0;
    try {
        for (; i < args.size(); ++i) {
            if (args[i] == "--db") {
                // An empty name would silently mean the working database (and a scan would
                // overwrite it): it is refused as a missing one is.
                if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError{"--db needs a file name"};
                context.dbPath = args[++i];
            } else if (args[i].starts_with("--db=")) {
                if (args[i].size() == 5) throw UsageError{"--db needs a file name"};
                context.dbPath = args[i].substr(5);
            } else if (args[i] == "--help" || args[i] == "-h") {
                out << kUsage;
                return kExitOk;
            } else if (args[i] == "--version" || args[i] == "-V") {
                out << "Quillory " QUILLORY_VERSION "\n";
                return kExitOk;
            } else {
                break;
            }
        }
        if (i == args.size()) throw UsageError{"no command given (try --help)"};
        const auto command = Commands().find(args[i]);
        if (command == Commands().end()) throw UsageError{"unknown command \"" + args[i] + "\" (try --help)"};
        const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
        const int status = command->second(context, rest);
        // Output that never arrived is a failure, whatever the command found.
        out.flush();
        if (!out) throw Error("Cannot write the output");
        return status;
    } catch (const std::exception& e) {
        err << "quillory-cli: " << e.what() << '\n';
    }
    return kExitError;
}

}  // namespace quillory::cli

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = quillory::cli::Main(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
