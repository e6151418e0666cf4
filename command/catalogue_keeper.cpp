#include "command/catalogue_keeper.h"

#include <stdexcept>

#include "platform/memory_advice.h"
#include "results/ranked_sort.h"
#include "results/sort_results.h"

namespace quillory::app {

CatalogueKeeper::CatalogueKeeper(std::unique_ptr<Catalogue> catalogue) : catalogue_(std::move(catalogue)) {
    if (!catalogue_) throw std::invalid_argument("CatalogueKeeper needs a catalogue");
}

CatalogueKeeper::~CatalogueKeeper() {
    JoinPreparation();
    if (rescan_.Running()) {
        rescan_.RequestStop();
        const std::unique_lock<std::shared_mutex> writing = LockOutReaders();
        rescan_.Wait(catalogue_);
        catalogue_->Options = std::move(description_);
        catalogue_->Incomplete = true;
    }
}

void CatalogueKeeper::JoinPreparation() {
    if (!preparing_.joinable()) return;
    stopPreparing_.store(true, std::memory_order_relaxed);
    // The worker may be waiting for a reader to let go of the catalogue.
    AskReadersToStop();
    preparing_.join();
    writerWaiting_.store(false);
    stopPreparing_.store(false, std::memory_order_relaxed);
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

Catalogue& CatalogueKeeper::Acquire() {
    // Collecting a rescan reports its end, and that report may start building the names
    // ahead: the join comes after it, so no worker ever shares the catalogue returned here.
    if (rescan_.Running()) CollectRescan();
    JoinPreparation();
    return *catalogue_;
}

const Catalogue* CatalogueKeeper::IdleCatalogue() {
    if (rescan_.Running()) return nullptr;
    if (preparing_.joinable()) {
        if (!prepared_.load(std::memory_order_acquire)) return nullptr;
        preparing_.join();
    }
    return catalogue_.get();
}

void CatalogueKeeper::SetSortCollation(Collation collation) {
    JoinPreparation();
    sortCollation_ = std::move(collation);
}

void CatalogueKeeper::PrepareOrdersAhead() {
    if (!sortCollation_ || rescan_.Running() || preparing_.joinable()) return;
    if (catalogue_->Ranks.Complete(catalogue_->Entries.Generation(), sortCollation_->LocaleId())) return;
    StartPreparation(false, false);
}

std::unique_lock<std::shared_mutex> CatalogueKeeper::Modify() {
    for (;;) {
        Acquire();
        std::unique_lock<std::shared_mutex> writing = LockOutReaders();
        // Taking back a finished rescan reports it, and the report starts the name-cache
        // build: that worker needs this lock, and the guard's holder would wait for it in the
        // next Acquire(). So it is let finish first.
        if (!preparing_.joinable()) return writing;
    }
}

void CatalogueKeeper::Replace(std::unique_ptr<Catalogue> catalogue) {
    if (!catalogue) throw std::invalid_argument("CatalogueKeeper needs a catalogue");
    Acquire();
    {
        const std::unique_lock<std::shared_mutex> writing = LockOutReaders();
        catalogue_.swap(catalogue);
    }
    // The old catalogue is freed here, outside the lock.
}

bool CatalogueKeeper::StartRescan(RescanObserver& observer) {
    if (rescan_.Running()) return false;
    JoinPreparation();
    // From here until CollectRescan catalogue_ is empty: readers decline.
    const std::unique_lock<std::shared_mutex> writing = LockOutReaders();
    description_ = catalogue_->Options;
    describedCount_ = catalogue_->Entries.Count();
    rescan_.Start(std::move(catalogue_), observer);
    return true;
}

void CatalogueKeeper::CollectRescan() {
    if (!rescan_.Running()) return;
    rescan_.RequestStop();
    RescanResult result;
    {
        // The wait is short: the stop was requested, and the worker never takes this lock.
        const std::unique_lock<std::shared_mutex> writing = LockOutReaders();
        result = rescan_.Wait(catalogue_);
        catalogue_->Options = std::move(description_);
        ApplyRescanResult(result, catalogue_->Options);
        catalogue_->Incomplete = !result.Completed();
    }
    if (rescanEnded_) rescanEnded_(result);
}

void CatalogueKeeper::BuildRanks(Catalogue& catalogue, const Collation& collation) {
    // The search channel reads finished columns under the shared hold: each column is built
    // aside and put in place under the exclusive one, so a reader sees it whole or not at all.
    ResultSorter sorter(collation);
    const uint64_t generation = catalogue.Entries.Generation();
    for (int column = 0; column < ColumnRanks::kColumns; ++column) {
        if (stopPreparing_.load(std::memory_order_relaxed)) return;
        if (catalogue.Ranks.Find(column, generation, collation.LocaleId())) continue;
        ColumnRank built;
        BuildColumnRank(catalogue.Entries, sorter, column, built);
        const std::unique_lock<std::shared_mutex> writing(lock_);
        std::swap(catalogue.Ranks.Edit(column), built);
    }
}

void CatalogueKeeper::PrepareNamesAhead(bool caseSensitiveToo) {
    Acquire();
    StartPreparation(true, caseSensitiveToo);
}

void CatalogueKeeper::StartPreparation(bool names, bool caseSensitiveToo) {
    // The worker uses the catalogue until it is joined; every other use passes Acquire() or
    // IdleCatalogue(), which wait for it or leave it alone. The sort collation is the
    // worker's alone meanwhile (SetSortCollation joins first).
    Catalogue* catalogue = catalogue_.get();
    const Collation* collation = sortCollation_ ? &*sortCollation_ : nullptr;
    prepared_.store(false, std::memory_order_relaxed);
    preparing_ = std::jthread([this, catalogue, collation, names, caseSensitiveToo] {
        try {
            if (names) {
                // The search channel reads the names: it waits for none of this, it declines.
                const std::unique_lock<std::shared_mutex> writing(lock_);
                catalogue->PrepareNameCache(false);
                if (caseSensitiveToo) catalogue->PrepareNameCache(true);
            }
            if (collation) BuildRanks(*catalogue, *collation);
            // A new catalogue (loaded, rescanned) is kept for long and read by every search
            // and click: its memory is gathered into huge pages, here on the worker and last,
            // when the window is up and the first search has what it needs.
            if (names) catalogue->AdviseHugePages();
        } catch (const std::exception&) {
            // Only a head start: the search builds missing names itself, and a column click
            // without ranks sorts the results themselves.
        }
        // The orders' build used a large temporary working set: give it back.
        if (collation) ReturnFreeMemory();
        prepared_.store(true, std::memory_order_release);
    });
}

}  // namespace quillory::app
