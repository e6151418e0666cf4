#pragma once
// What the desktop program keeps for the whole run, created before its windows and freed
// after them: the catalogue with the options that describe its database, the result list,
// the flags of the start-up and the end, and the services tests replace.

#include <functional>
#include <memory>
#include <string>

#include "command/catalogue_keeper.h"
#include "command/live_catalogue.h"
#include "core/entry_list.h"
#include "core/program_options.h"
#include "core/program_settings.h"
#include "platform/clock.h"

namespace quillory::app {

class UiPrompts;

struct ProgramContext {
    // The catalogue with the description of its database, owned by the user interface or by
    // the one worker using it. A hold (keeper.Read(), keeper.Write()) takes it back: a running
    // rescan stops.
    command::CatalogueKeeper keeper{std::make_unique<Catalogue>(TProgramOptions())};
    // The database's description; never takes the catalogue, so never stops a rescan.
    TProgramOptions& database() { return keeper.Description(); }
    // Keeps the catalogue current between rescans (the LiveUpdates setting); declared after
    // the keeper, so it stops watching before the keeper goes.
    command::LiveCatalogue live{keeper};
    // The program's own settings, the user interface's alone.
    ProgramSettings settings;
    // Independent copies of catalogue entries: a rescan or a load never changes them.
    EntryList results;

    std::string workingDatabasePath;
    // Set by the command word "rescan" when no running copy answered; read by the start-up
    // timer's tick.
    bool rescanRequested = false;
    // While false, a request to close the main window hides the program to the tray.
    bool exitRequested = false;

    UiPrompts* prompts = nullptr;
    std::function<DateTime()> now = NowDateTime;
};

}  // namespace quillory::app
