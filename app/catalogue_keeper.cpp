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
        rescan_.Wait(catalogue_);
    }
}

void CatalogueKeeper::JoinPreparation() {
    if (preparing_.joinable()) preparing_.join();
}

Catalogue& CatalogueKeeper::Acquire() {
    // Collecting a rescan reports its end, and that report may start building the names
    // ahead: the join comes after it, so no worker ever shares the catalogue returned here.
    if (rescan_.Running()) CollectRescan();
    JoinPreparation();
    return *catalogue_;
}

void CatalogueKeeper::Replace(std::unique_ptr<Catalogue> catalogue) {
    if (!catalogue) throw std::invalid_argument("CatalogueKeeper needs a catalogue");
    Acquire();
    catalogue_ = std::move(catalogue);
}

bool CatalogueKeeper::StartRescan(RescanObserver& observer) {
    if (rescan_.Running()) return false;
    JoinPreparation();
    rescan_.Start(std::move(catalogue_), observer);
    return true;
}

void CatalogueKeeper::CollectRescan() {
    if (!rescan_.Running()) return;
    rescan_.RequestStop();
    const RescanResult result = rescan_.Wait(catalogue_);
    ApplyRescanResult(result, catalogue_->Options);
    if (rescanEnded_) rescanEnded_(result);
}

void CatalogueKeeper::PrepareNamesAhead(bool caseSensitiveToo) {
    Acquire();
    // The worker uses the catalogue until it is joined; every other use passes Acquire().
    Catalogue* catalogue = catalogue_.get();
    preparing_ = std::jthread([catalogue, caseSensitiveToo] {
        try {
            catalogue->PrepareNameCache(false);
            if (caseSensitiveToo) catalogue->PrepareNameCache(true);
        } catch (const std::exception&) {
            // Only a head start: the search builds what is missing itself.
        }
    });
}

}  // namespace quillory::app
