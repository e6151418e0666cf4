#include "command/catalogue_keeper.h"

#include <stdexcept>

#include "platform/memory_advice.h"
#include "results/ranked_sort.h"
#include "results/sort_results.h"

namespace quillory::command {

CatalogueKeeper::CatalogueKeeper(std::unique_ptr<Catalogue> catalogue) : catalogue_(std::move(catalogue)) {
    if (!catalogue_) throw std::invalid_argument("CatalogueKeeper needs a catalogue");
}

CatalogueKeeper::~CatalogueKeeper() {
    JoinPreparation();
}

void CatalogueKeeper::RefuseWhileHeld() const {
    if (held_) throw std::logic_error("the catalogue is held");
}

void CatalogueKeeper::JoinPreparation() {
    if (!preparing_) return;
    preparing_->RequestStop();
    // The worker may be waiting for a reader to let go of the catalogue.
    AskReadersToStop();
    preparing_.reset();
    writerWaiting_.store(false);
}

void CatalogueKeeper::AskReadersToStop() {
    // Marked first: a reader that begins after the request declines instead of missing it.
    writerWaiting_.store(true);
    if (stopReaders_) stopReaders_();
}

std::unique_lock<std::shared_mutex> CatalogueKeeper::LockOutReaders() {
    AskReadersToStop();
    std::unique_lock<std::shared_mutex> writing(lock_);
    writerWaiting_.store(false);
    return writing;
}

void CatalogueKeeper::TakeBack() {
    RefuseWhileHeld();
    if (rescan_.Running()) ended_ = CollectRescan();
    JoinPreparation();
}

ReadHold CatalogueKeeper::Read() {
    TakeBack();
    return ReadHold(*catalogue_, held_, {});
}

WriteHold CatalogueKeeper::Write() {
    TakeBack();
    return WriteHold(*catalogue_, held_, LockOutReaders());
}

std::optional<ReadHold> CatalogueKeeper::ReadIfIdle() {
    RefuseWhileHeld();
    if (rescan_.Running()) return std::nullopt;
    if (preparing_) {
        if (!preparing_->Done()) return std::nullopt;
        preparing_.reset();
    }
    return ReadHold(*catalogue_, held_, {});
}

void CatalogueKeeper::SetSortCollation(Collation collation) {
    JoinPreparation();
    sortCollation_ = std::move(collation);
}

void CatalogueKeeper::PrepareOrdersAhead() {
    RefuseWhileHeld();
    if (!sortCollation_ || rescan_.Running() || preparing_) return;
    if (catalogue_->Ranks.Complete(catalogue_->Entries.Generation(), sortCollation_->LocaleId())) return;
    StartPreparation(false, false);
}

bool CatalogueKeeper::StartRescan(RescanObserver& observer) {
    RefuseWhileHeld();
    if (rescan_.Running()) return false;
    JoinPreparation();
    ended_.reset();
    // From here until the rescan is taken back catalogue_ is empty: readers decline.
    const std::unique_lock<std::shared_mutex> writing = LockOutReaders();
    description_ = catalogue_->Options;
    describedCount_ = catalogue_->Entries.Count();
    rescan_.Start(std::move(catalogue_), observer);
    return true;
}

std::optional<RescanResult> CatalogueKeeper::CollectRescan() {
    // While a hold lives no rescan runs: this never takes the catalogue from a holder.
    if (!rescan_.Running()) return std::exchange(ended_, std::nullopt);
    rescan_.RequestStop();
    // The wait is short: the stop was requested, and the worker never takes this lock.
    const std::unique_lock<std::shared_mutex> writing = LockOutReaders();
    RescanResult result = rescan_.Wait(catalogue_);
    catalogue_->Options = std::move(description_);
    ApplyRescanResult(result, catalogue_->Options);
    catalogue_->Incomplete = !result.Completed();
    return result;
}

void CatalogueKeeper::BuildRanks(Catalogue& catalogue, const Collation& collation,
                                 const std::stop_token& stop) {
    // The search channel reads finished columns under the shared hold: each column is built
    // aside and put in place under the exclusive one, so a reader sees it whole or not at all.
    ResultSorter sorter(collation);
    const uint64_t generation = catalogue.Entries.Generation();
    for (int column = 0; column < ColumnRanks::kColumns; ++column) {
        if (stop.stop_requested()) return;
        if (catalogue.Ranks.Find(column, generation, collation.LocaleId())) continue;
        ColumnRank built;
        BuildColumnRank(catalogue.Entries, sorter, column, built);
        const std::unique_lock<std::shared_mutex> writing(lock_);
        std::swap(catalogue.Ranks.Edit(column), built);
    }
}

void CatalogueKeeper::PrepareNamesAhead(bool caseSensitiveToo, bool ordersToo) {
    TakeBack();
    StartPreparation(true, caseSensitiveToo, ordersToo);
}

void CatalogueKeeper::StartPreparation(bool names, bool caseSensitiveToo, bool orders) {
    // The worker uses the catalogue until it is joined; a hold, ReadIfIdle and every other
    // lending of the catalogue wait for it or leave it alone. The sort collation is the
    // worker's alone meanwhile (SetSortCollation joins first).
    Catalogue* catalogue = catalogue_.get();
    const Collation* collation = orders && sortCollation_ ? &*sortCollation_ : nullptr;
    preparing_.emplace([this, catalogue, collation, names, caseSensitiveToo](std::stop_token stop) {
        try {
            if (names) {
                // Built aside and put in place under the lock: the search channel goes on
                // reading meanwhile (without the names, so a little slower).
                for (const bool caseSensitive : {false, true}) {
                    if (caseSensitive && !caseSensitiveToo) break;
                    if (catalogue->CurrentNames(caseSensitive)) continue;
                    NameCache built = catalogue->BuildNameCache(caseSensitive);
                    const std::unique_lock<std::shared_mutex> writing(lock_);
                    catalogue->InstallNameCache(caseSensitive, std::move(built));
                }
            }
            if (collation) BuildRanks(*catalogue, *collation, stop);
        } catch (const std::exception&) {
            // Only a head start: the search builds missing names itself, and a column click
            // without ranks sorts the results themselves.
        }
        // The orders' build used a large temporary working set: give it back.
        if (collation) ReturnFreeMemory();
    });
}

}  // namespace quillory::command
