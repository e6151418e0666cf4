#include <ostream>

#include "cli/cli.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "platform/error.h"
#include "platform/path_status.h"

namespace quillory::cli {

std::string DatabasePath(const Context& context) {
    return context.dbPath.empty() ? WorkingDatabasePath() : context.dbPath;
}

void CreateLogFolder() {
    try {
        CreateDataFolder();
    } catch (const Error&) {
    }
}

void RequireDatabase(const Context& context) {
    const std::string path = DatabasePath(context);
    if (!PathMissing(path)) return;
    throw Error("no database at " + path +
                " yet: make one with \"quillory-cli scan --include DIR\", or start quillory and rescan");
}

void LoadCatalogue(const Context& context, EntryList& catalogue, TProgramOptions& options) {
    RequireDatabase(context);
    CreateLogFolder();
    LoadDatabase(catalogue, options, DatabasePath(context), ActivityLog());
}

}  // namespace quillory::cli
