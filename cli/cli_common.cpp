#include <ostream>

#include "cli/cli.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "platform/error.h"

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

void LoadCatalogue(const Context& context, EntryList& catalogue, TProgramOptions& options) {
    CreateLogFolder();
    LoadDatabase(catalogue, options, DatabasePath(context), ActivityLog());
}

}  // namespace quillory::cli
