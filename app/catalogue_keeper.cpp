#include "app/catalogue_keeper.h"

#include <stdexcept>

namespace quillory::app {

CatalogueKeeper::CatalogueKeeper(std::unique_ptr<Catalogue> catalogue) : catalogue_(std::move(catalogue)) {
    if (!catalogue_) throw std::invalid_argument("CatalogueKeeper needs a catalogue");
}

CatalogueKeeper::~CatalogueKeeper() {
    JoinPreparation();
    if (rescan_.Running()) {
        rescan_.RequestStop();
        const std::unique_lock<std::shared_mutex> writing(lock_);
        rescan_.Wait(catalogue_);
    }
}

void CatalogueKeeper::JoinPreparation() {
    if (preparing_.joinable()) preparing_.join();
}

Catalogue& CatalogueKeeper::Acquire() {
    JoinPreparation();
    if (rescan_.Running()) CollectRescan();
    return *catalogue_;
}

std::unique_lock<std::shared_mutex> CatalogueKeeper::Modify() {
    for (;;) {
        Acquire();
        std::unique_lock<std::shared_mutex> writing(lock_);
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
        const std::unique_lock<std::shared_mutex> writing(lock_);
        catalogue_.swap(catalogue);
    }
    // The old catalogue is freed here, outside the lock.
}

bool CatalogueKeeper::StartRescan(RescanObserver& observer) {
    if (rescan_.Running()) return false;
    JoinPreparation();
    // From here until CollectRescan catalogue_ is empty: readers decline.
    const std::unique_lock<std::shared_mutex> writing(lock_);
    rescan_.Start(std::move(catalogue_), observer);
    return true;
}

void CatalogueKeeper::CollectRescan() {
    if (!rescan_.Running()) return;
    rescan_.RequestStop();
    RescanResult result;
    {
        // The wait is short: the stop was requested, and the worker never takes this lock.
        const std::unique_lock<std::shared_mutex> writing(lock_);
        result = rescan_.Wait(catalogue_);
        ApplyRescanResult(result, catalogue_->Options);
    }
    if (rescanEnded_) rescanEnded_(result);
}

void CatalogueKeeper::PrepareNamesAhead(bool caseSensitiveToo) {
    Acquire();
    // The worker uses the catalogue until it is joined; every other use passes Acquire().
    Catalogue* catalogue = catalogue_.get();
    preparing_ = std::jthread([this, catalogue, caseSensitiveToo] {
        const std::unique_lock<std::shared_mutex> writing(lock_);
        try {
            catalogue->PrepareNameCache(false);
            if (caseSensitiveToo) catalogue->PrepareNameCache(true);
        } catch (const std::exception&) {
            // Only a head start: the search builds what is missing itself.
        }
    });
}

}  // namespace quillory::app
