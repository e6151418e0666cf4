#pragma once
// Keeps the program's one catalogue and lends it to one user at a time: the user interface's
// thread through a hold that lasts one scope, or the one worker that runs a rescan or builds
// the search names and column ranks. Taking a hold takes the catalogue back first: a running
// rescan is stopped and waited for (it keeps what it found; its result waits for
// CollectRescan), a name cache being built is waited for, column ranks being built are
// stopped after the column in progress. So a search during a rescan searches what was found.
// While a hold lives nobody else gets the catalogue: starting a rescan or a preparation, or a
// second hold, throws std::logic_error.
//
// Other threads read the catalogue through TryRead (the search channel). They never wait and
// never stop a rescan: while a rescan or a writing hold has the catalogue, or one waits for
// it, TryRead declines. A preparation lets them read, except for the moments in which it puts
// finished names or ranks in place. Nor do they keep the user interface waiting: before it waits for
// them, a read under way is asked to end at once (SetReaderStop). Every change to Entries or
// the name caches (a load, a search that brings the names up to date) is made under a
// writing hold; a reading hold leaves the readers in, as neither writes.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <stop_token>
#include <utility>

#include "core/catalogue.h"
#include "platform/worker.h"
#include "results/collation.h"
#include "scan/rescan_driver.h"

namespace quillory::command {

// The catalogue lent to the user interface's thread until the hold ends: `const Catalogue`
// for reading, `Catalogue` for writing, whose hold also keeps the readers of other threads out.
template <class Access>
class CatalogueHold {
  public:
    CatalogueHold(CatalogueHold&& other) noexcept
        : catalogue_(std::exchange(other.catalogue_, nullptr)),
          held_(other.held_),
          writing_(std::move(other.writing_)) {}
    // The hold this one had (if any) ends; `other`'s moves in.
    CatalogueHold& operator=(CatalogueHold other) noexcept {
        std::swap(catalogue_, other.catalogue_);
        std::swap(held_, other.held_);
        std::swap(writing_, other.writing_);
        return *this;
    }
    ~CatalogueHold() {
        if (catalogue_) *held_ = false;
    }

    Access& operator*() const { return *catalogue_; }
    Access* operator->() const { return catalogue_; }

  private:
    friend class CatalogueKeeper;
    CatalogueHold(Access& catalogue, bool& held, std::unique_lock<std::shared_mutex> writing)
        : catalogue_(&catalogue), held_(&held), writing_(std::move(writing)) {
        held = true;
    }

    Access* catalogue_;
    bool* held_;
    std::unique_lock<std::shared_mutex> writing_;
};

using ReadHold = CatalogueHold<const Catalogue>;
using WriteHold = CatalogueHold<Catalogue>;

class CatalogueKeeper {
  public:
    explicit CatalogueKeeper(std::unique_ptr<Catalogue> catalogue);
    ~CatalogueKeeper();
    CatalogueKeeper(const CatalogueKeeper&) = delete;
    CatalogueKeeper& operator=(const CatalogueKeeper&) = delete;

    // The catalogue for the user interface's thread, taken back from whoever had it.
    ReadHold Read();
    WriteHold Write();
    // The catalogue when no rescan and no preparation has it (nothing is stopped or waited
    // for); otherwise nothing.
    std::optional<ReadHold> ReadIfIdle();

    // From any thread: calls read(const Catalogue&) and returns true when the catalogue is
    // free for reading at once; false, without waiting, otherwise. The catalogue stays
    // unchanged during the call.
    template <class Reader>
    bool TryRead(Reader&& read) {
        std::shared_lock<std::shared_mutex> reading(lock_, std::try_to_lock);
        if (!reading.owns_lock() || !catalogue_ || writerWaiting_.load()) return false;
        std::forward<Reader>(read)(std::as_const(*catalogue_));
        return true;
    }

    // Called on the user interface's thread whenever it is about to wait for the readers of
    // other threads: a reader that can end its read early is asked to. A read that begins
    // after the call declines. Set before readers start, cleared (nullptr) before its target
    // goes.
    void SetReaderStop(std::function<void()> stop) { stopReaders_ = std::move(stop); }

    // The description of the catalogue's database (folders, extensions, file name, rescan
    // statistics), for the user interface's thread, without taking the catalogue: while a
    // rescan runs, the copy taken when it started, so it shows the statistics of the last
    // completed rescan; a change made to it meanwhile reaches the catalogue when the rescan
    // is taken back (the running walk keeps the lists it started with).
    TProgramOptions& Description() { return catalogue_ ? catalogue_->Options : description_; }
    // The number of entries the description describes: while a rescan runs, the count when
    // it began.
    size_t DescribedCount() const { return catalogue_ ? catalogue_->Entries.Count() : describedCount_; }

    bool Rescanning() const { return rescan_.Running(); }
    // Starts a rescan on a worker; false (nothing happens) while one runs. The observer's
    // calls come from the worker, and it must outlive the rescan; its Finished() is the moment
    // to call CollectRescan(). The result of an earlier rescan never collected is dropped.
    bool StartRescan(RescanObserver& observer);
    // Takes back the catalogue of a rescan that finished (or stops and waits for one that
    // still runs), applies its result to the options and returns it, or the result of a
    // rescan a hold took back. Each result once; nothing without one.
    std::optional<RescanResult> CollectRescan();
    // Builds the names of a case-insensitive (and, when asked, case-sensitive) search on a
    // worker, so the first search after a load or a rescan is as fast as the later ones;
    // then, when a sort collation was given, the catalogue's column ranks, so that column
    // clicks need no sort.
    // `ordersToo` false leaves the ranks for later (PrepareOrdersAhead): after a small change, when
    // rebuilding them all would cost far more than the change.
    void PrepareNamesAhead(bool caseSensitiveToo = false, bool ordersToo = true);
    // Resumes the ranks' build (a hold stops it, finished columns are kept) when some are
    // stale, the catalogue is free and a sort collation was given; otherwise nothing.
    void PrepareOrdersAhead();
    // The collation of the window's column sorts (the worker uses this copy alone). Without
    // one no ranks are built.
    void SetSortCollation(Collation collation);

    // The rescan's settings (lister, clocks) for tests; only while no rescan runs.
    RescanDriver& Driver() { return rescan_.Driver(); }

  private:
    void RefuseWhileHeld() const;
    // Ends every other use of the catalogue; a rescan's result waits for CollectRescan.
    void TakeBack();
    // Stops the ranks' build, waits for the worker.
    void JoinPreparation();
    // The exclusive lock for the user interface's thread, with the readers asked to stop first.
    std::unique_lock<std::shared_mutex> LockOutReaders();
    // Marks that the user interface's thread waits for the readers and asks them to stop.
    void AskReadersToStop();
    void StartPreparation(bool names, bool caseSensitiveToo, bool orders = true);
    // On the preparation worker: the stale column ranks, each put in place when finished.
    void BuildRanks(Catalogue& catalogue, const Collation& collation, const std::stop_token& stop);

    // Held shared by TryRead, exclusively by every change to catalogue_ or what it holds that
    // another thread could see: a writing hold, handing the catalogue to a rescan and taking
    // it back, the name-cache build and each finished column rank.
    std::shared_mutex lock_;
    std::unique_ptr<Catalogue> catalogue_;
    // The catalogue's description while a rescan owns the catalogue.
    TProgramOptions description_;
    size_t describedCount_ = 0;
    bool held_ = false;
    std::optional<RescanResult> ended_;
    std::optional<Collation> sortCollation_;
    // Set while the user interface's thread waits for the readers to let go.
    std::atomic<bool> writerWaiting_{false};
    std::function<void()> stopReaders_;
    // The workers come last: they end before anything they use goes.
    RescanTask rescan_;
    std::optional<Worker<void>> preparing_;
};

}  // namespace quillory::command
