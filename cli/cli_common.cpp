#include <ostream>

#include "cli/cli.h"
#include "core/activity_log.h"
#include "core/database.h"

namespace quillory::cli {

std::string DatabasePath(const Context& context) {
    return context.dbPath.empty() ? WorkingDatabasePath() : context.dbPath;
}

void LoadCatalogue(const Context& context, EntryList& catalogue, TProgramOptions& options) {
    CreateDataFolder();
    LoadDatabase(catalogue, options, DatabasePath(context), ActivityLog());
}

}  // namespace quillory::cli
