#pragma once
// Keeps the program's one catalogue and hands it to whoever may use it at the moment: the
// user interface's thread, or the one worker that runs a rescan or builds the search names.
// Every use from the user interface goes through Acquire(), which takes the catalogue back
// first: a running rescan is asked to stop and waited for (it keeps what it found), a name
// cache being built is waited for, and column ranks being built are stopped after the column
// in progress. So a search during a rescan searches what was found.
//
// Other threads may read the catalogue through TryRead (the search channel). They never
// wait and never stop a rescan: while a rescan or a name-cache build owns the catalogue,
// or the user interface changes it or waits to, TryRead declines. Nor do they keep the
// user interface waiting: before it waits for them, a read under way is asked to end at
// once (SetReaderStop). Every change the user interface makes
// to Entries or the name caches (a load, a replacement, a search that brings the names up to
// date) holds the guard Modify() returns; its plain reads need no guard, as the readers
// never write.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <thread>
#include <utility>

#include "core/catalogue.h"
#include "results/collation.h"
#include "scan/rescan_driver.h"

namespace quillory::app {

class CatalogueKeeper {
  public:
    using RescanEnded = std::function<void(const RescanResult& result)>;

    explicit CatalogueKeeper(std::unique_ptr<Catalogue> catalogue);
    // Stops a running rescan and waits for every worker.
    ~CatalogueKeeper();
    CatalogueKeeper(const CatalogueKeeper&) = delete;
    CatalogueKeeper& operator=(const CatalogueKeeper&) = delete;

    // Called on the user interface's thread whenever a rescan has ended and its result was
    // applied to the options (the statistics of a completed rescan).
    void OnRescanEnded(RescanEnded ended) { rescanEnded_ = std::move(ended); }

    // The catalogue, owned by the calling thread until the next StartRescan or
    // PrepareNamesAhead.
    Catalogue& Acquire();
    // Takes the catalogue back as Acquire() does and locks out the readers of other threads
    // until the guard ends. Never hold it while calling StartRescan, CollectRescan, Replace
    // or PrepareNamesAhead.
    std::unique_lock<std::shared_mutex> Modify();
    // From any thread: calls read(const Catalogue&) and returns true when the catalogue is
    // free for reading at once; false, without waiting, while a rescan or a name-cache build
    // owns it or the user interface changes it or waits to. The catalogue stays unchanged during
    // the call.
    template <class Reader>
    bool TryRead(Reader&& read) {
        std::shared_lock<std::shared_mutex> reading(lock_, std::try_to_lock);
        if (!reading.owns_lock() || !catalogue_ || writerWaiting_.load()) return false;
        std::forward<Reader>(read)(std::as_const(*catalogue_));
        return true;
    }

    // Called on the user interface's thread whenever it is about to wait for the readers of
    // other threads (to change the catalogue, to hand it to a rescan or take it back, or to
    // end): a reader that can end its read early is asked to. A read that begins after the
    // call declines. Set before readers start, cleared (nullptr) before its target goes.
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

    // Replaces the catalogue (a database was loaded into a new one).
    void Replace(std::unique_ptr<Catalogue> catalogue);

    bool Rescanning() const { return rescan_.Running(); }
    // Starts a rescan on a worker; false (nothing happens) while one runs. The observer's
    // calls come from the worker; its Finished() is the moment to call CollectRescan() on the
    // user interface's thread.
    bool StartRescan(RescanObserver& observer);
    // Takes back the catalogue of a rescan that finished (or stops and waits for one that
    // still runs), applies its result to the options and reports it. Nothing without a rescan.
    void CollectRescan();
    // Builds the names of a case-insensitive (and, when asked, case-sensitive) search on a
    // worker, so the first search after a load or a rescan is as fast as the later ones;
    // then, when a sort collation was given, the catalogue's column ranks, so that column
    // clicks need no sort.
    void PrepareNamesAhead(bool caseSensitiveToo = false);
    // Builds the column ranks on a worker when some are stale, the catalogue is free and a
    // sort collation was given; otherwise nothing. The ranks are only a head start: an
    // Acquire() stops their build after the column in progress (finished columns are kept),
    // and this call resumes it.
    void PrepareOrdersAhead();
    // The collation of the window's column sorts (the worker uses this copy alone). Without
    // one no ranks are built.
    void SetSortCollation(Collation collation);

    // The catalogue when it can be read at once: no rescan running and no worker preparing
    // it (nothing is stopped or waited for); otherwise nullptr. Valid until the next
    // StartRescan, PrepareNamesAhead or PrepareOrdersAhead.
    const Catalogue* IdleCatalogue();

    // The rescan's settings (lister, clocks) for tests; only while no rescan runs.
    RescanDriver& Driver() { return rescan_.Driver(); }

  private:
    // Stops the ranks' build, waits for the worker.
    void JoinPreparation();
    // The exclusive hold for the user interface's thread, with the readers asked to stop first.
    std::unique_lock<std::shared_mutex> LockOutReaders();
    // Marks that the user interface's thread waits for the readers and asks them to stop.
    void AskReadersToStop();
    void StartPreparation(bool names, bool caseSensitiveToo);
    // On the preparation worker: the stale column ranks, each put in place when finished.
    void BuildRanks(Catalogue& catalogue, const Collation& collation);

    // Held shared by TryRead, exclusively by every change to catalogue_ or what it holds that
    // another thread could see: Modify(), Replace, handing the catalogue to a rescan and
    // taking it back, the name-cache build.
    std::shared_mutex lock_;
    std::unique_ptr<Catalogue> catalogue_;
    // The catalogue's description while a rescan owns the catalogue.
    TProgramOptions description_;
    size_t describedCount_ = 0;
    RescanTask rescan_;
    std::jthread preparing_;
    std::atomic<bool> stopPreparing_{false};
    std::atomic<bool> prepared_{false};
    std::optional<Collation> sortCollation_;
    RescanEnded rescanEnded_;
    // Set while the user interface's thread waits for the readers to let go.
    std::atomic<bool> writerWaiting_{false};
    std::function<void()> stopReaders_;
};

}  // namespace quillory::app
