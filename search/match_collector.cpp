#include "search/match_collector.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "search/ascii_scan.h"
#include "search/byte_search.h"

namespace quillory {

namespace {

// Calls visit(i) for each entry i of [first, last), in order, whose cached name contains
// `literal`; one scan over the name buffer finds them. Stops when visit answers false.
template <class Visit>
bool ForEachNameHit(const NameCache& cache, std::string_view literal, size_t first, size_t last,
                    Visit&& visit) {
    const char* buffer = cache.Buffer().data();
    size_t pos = cache.Start(first);
    const size_t end = cache.Start(last);
    size_t entry = first;
    while (pos < end) {
        const char* hit = FindBytes(buffer + pos, end - pos, literal);
        if (hit == nullptr) break;
        const auto offset = static_cast<size_t>(hit - buffer);
        entry = cache.EntryAt(offset, entry);
        // An occurrence that runs over the name's end crosses into the next entry.
        if (offset + literal.size() < cache.Start(entry + 1) && !visit(entry)) return false;
        pos = cache.Start(entry + 1);
        ++entry;
        if (entry >= last) break;
    }
    return true;
}

bool Contains(std::string_view text, std::string_view literal) {
    return FindBytes(text.data(), text.size(), literal) != nullptr;
}

class Collector {
  public:
    Collector(const MatchRequest& request, size_t limit, std::vector<size_t>& out)
        : r_(request),
          upper_(!request.matcher.CaseSensitive()),
          literal_(request.plan.requiredLiteral),
          literalToSlash_(std::string_view(literal_).substr(0, literal_.rfind('/') + 1)),
          limit_(limit),
          out_(out) {}

    void Run(size_t first, size_t last) {
        if (first >= last || out_.size() >= limit_) return;
        if (r_.cache != nullptr) {
            if (r_.options.FullPath) {
                RunFullPathCached(*r_.cache, first, last);
            } else {
                RunNamesCached(*r_.cache, first, last);
            }
        } else {
            RunStreaming(first, last);
        }
    }

  private:
    bool Add(size_t i) {
        // Every caller reads a match's entry next (to copy, sort or print it): asked for now,
        // it arrives while the scan goes on.
        __builtin_prefetch(&r_.catalogue[i]);
        out_.push_back(i);
        return out_.size() < limit_;
    }

    bool Stopped() const { return r_.cancel != nullptr && r_.cancel->load(std::memory_order_relaxed); }

    // The name test comes first and rules most entries out; the type test follows.
    // `held`: a required text the scan already found in the name.
    bool VisitName(size_t i, std::string_view name, std::string_view held = {}) {
        if (Stopped()) return false;
        // Every required text must be in the name; checking them is cheaper than the terms.
        for (const std::string& literal : r_.plan.requiredLiterals) {
            if (literal != held && !Contains(name, literal)) return true;
        }
        if (!r_.matcher.MatchesPrepared(name, scratch_)) return true;
        if (!PassesTypeFilter(r_.catalogue[i], r_.options)) return true;
        return Add(i);
    }

    // A name that holds the required text and is decided by it (SearchPlan::nameRule).
    bool VisitDecided(size_t i, std::string_view name) {
        if (Stopped()) return false;
        if (!NameMatchesByRule(r_.plan, name)) return true;
        if (!PassesTypeFilter(r_.catalogue[i], r_.options)) return true;
        return Add(i);
    }

    void RunNamesCached(const NameCache& cache, size_t first, size_t last) {
        if (!literal_.empty() && r_.plan.nameRule != SearchPlan::NameRule::Terms) {
            ForEachNameHit(cache, literal_, first, last,
                           [&](size_t i) { return VisitDecided(i, cache.Name(i)); });
            return;
        }
        if (!literal_.empty()) {
            ForEachNameHit(cache, literal_, first, last,
                           [&](size_t i) { return VisitName(i, cache.Name(i), literal_); });
            return;
        }
        for (size_t i = first; i < last; ++i) {
            if (!VisitName(i, cache.Name(i))) return;
        }
    }

    // A new folder run: its text in the compared case, and what can be decided for the whole
    // folder at once.
    void EnterFolder(std::string_view folder) {
        folder_ = folder;
        // After a "/" (or with no folder at all) the name's characters start afresh, so the
        // full path's case form is the folder's followed by the name's, and a text without
        // "/" lies either in the folder or in the name.
        splitsHere_ = folder_.empty() || folder_.back() == '/';
        folderParts_ = splitsHere_ && r_.plan.splitsAtFolder;
        if (folderParts_) {
            folderHits_.assign(r_.matcher.TermCount(), 0);
            for (size_t t = 0; t < r_.matcher.TermCount(); ++t) {
                folderHits_[t] = r_.matcher.TermMatches(t, folder_, scratch_) ? 1 : 0;
            }
        }
        // What an entry's own name must hold for the entry to match: most folders of a
        // search for a path are passed over by one scan of their names.
        namesNeed_ = splitsHere_ ? NameTextNeeded(folder_, literal_) : std::string_view();
    }

    void RunFullPathCached(const NameCache& cache, size_t first, size_t last) {
        const size_t firstRun = cache.RunOf(first);
        const size_t lastRun = cache.RunOf(last - 1) + 1;
        // With no "/" in any name, a text holding "/" lies in the folder or ends in the name
        // after the folder's last "/": one scan of the folder texts finds the few runs to visit.
        const bool byFolder = literal_.find('/') != std::string::npos && !cache.NamesHoldSeparator();
        if (byFolder) FindRunsWhoseFolderHolds(cache, firstRun, lastRun);
        size_t held = 0;
        for (size_t run = firstRun; run < lastRun; ++run) {
            if (byFolder) {
                while (held < runsHolding_.size() && runsHolding_[held] < run) ++held;
                const bool holds = held < runsHolding_.size() && runsHolding_[held] == run;
                if (!holds && !MayEndInName(cache, run)) continue;
            }
            const size_t runFirst = std::max(first, cache.RunStart(run));
            const size_t runLast = std::min(last, cache.RunStart(run + 1));
            if (runFirst >= runLast) break;
            EnterFolder(cache.RunFolder(run));
            auto visit = [&](size_t i) { return VisitFullPath(i, cache.Name(i)); };
            if (!namesNeed_.empty()) {
                if (!ForEachNameHit(cache, namesNeed_, runFirst, runLast, visit)) return;
                continue;
            }
            for (size_t i = runFirst; i < runLast; ++i) {
                if (!visit(i)) return;
            }
        }
    }

    // The runs of [firstRun, lastRun) whose folder text holds the literal, in order.
    void FindRunsWhoseFolderHolds(const NameCache& cache, size_t firstRun, size_t lastRun) {
        runsHolding_.clear();
        const char* buffer = cache.FolderBuffer().data();
        size_t pos = cache.FolderStart(firstRun);
        const size_t end = cache.FolderStart(lastRun);
        while (pos < end) {
            const char* hit = FindBytes(buffer + pos, end - pos, literal_);
            if (hit == nullptr) break;
            const auto offset = static_cast<size_t>(hit - buffer);
            const size_t run = cache.RunAtFolderOffset(offset);
            // An occurrence that runs over the folder's end crosses into the next run's text.
            if (offset + literal_.size() > cache.FolderStart(run + 1)) {
                pos = offset + 1;
                continue;
            }
            runsHolding_.push_back(run);
            pos = cache.FolderStart(run + 1);
        }
    }

    // Whether the literal may begin in the folder of `run` and end in a name: the folder ends
    // with the literal's part up to its last "/", or has no final "/" to split at.
    bool MayEndInName(const NameCache& cache, size_t run) const {
        const std::string_view folder = cache.RunFolder(run);
        if (!folder.empty() && folder.back() != '/') return true;
        return folder.ends_with(literalToSlash_);
    }

    // Without a cache: each name (and each new folder) is put into the compared case here, and
    // only for names that the required text does not rule out first.
    void RunStreaming(size_t first, size_t last) {
        if (upper_ && !r_.options.FullPath && !literal_.empty()) {
            RunNamesOnePass(first, last);
            return;
        }
        const char* folderData = nullptr;
        size_t folderSize = 0;
        for (size_t i = first; i < last; ++i) {
            if (Stopped()) return;
            const TMyItem& entry = r_.catalogue[i];
            const std::string_view rawName = entry.Name();
            bool keepGoing;
            if (r_.options.FullPath) {
                const std::string_view folder = entry.Folder();
                if (i == first || folder.data() != folderData || folder.size() != folderSize) {
                    folderData = folder.data();
                    folderSize = folder.size();
                    folderText_.clear();
                    AppendCaseForm(folderText_, folder, upper_);
                    EnterFolder(folderText_);
                }
                if (!namesNeed_.empty() &&
                    (upper_ && namesNeed_ != kSeparatorText ? !NameMayHoldUpper(rawName, namesNeed_)
                                                            : !Contains(rawName, namesNeed_))) {
                    continue;
                }
                keepGoing = VisitFullPath(i, CasedName(rawName));
            } else {
                keepGoing = VisitName(i, CasedName(rawName));
            }
            if (!keepGoing) return;
        }
    }

    std::string_view CasedName(std::string_view rawName) {
        if (!upper_) return rawName;
        nameText_.clear();
        AppendCaseForm(nameText_, rawName, true);
        return nameText_;
    }

    // A case-insensitive name search with a required text: one scan over the stored names,
    // comparing both cases of each ASCII letter, finds the few that can match; only those are
    // upper-cased and tested.
    void RunNamesOnePass(size_t first, size_t last) {
        if (!TerminatedScanApplies(literal_) || !r_.catalogue.NameStretches(first, last, stretches_)) {
            RunNamesOnePassCopied(first, last);
            return;
        }
        // The names lie back to back in entry order: scanned where they are, and a hit's entry
        // is told by its position, so no entry is read but the candidates'.
        for (size_t s = 0; s < stretches_.size(); ++s) {
            if (Stopped()) return;
            const EntryList::NameStretch& stretch = stretches_[s];
            const size_t stretchLast = s + 1 < stretches_.size() ? stretches_[s + 1].firstEntry : last;
            if (FindTerminatedNamesMayHoldUpper(stretch.bytes, literal_, positions_) !=
                stretchLast - stretch.firstEntry) {
                // A name holding a NUL byte: its stretch is asked name by name.
                if (!RunNamesOnePassCopied(stretch.firstEntry, stretchLast)) return;
                continue;
            }
            for (const size_t k : positions_) {
                const size_t i = stretch.firstEntry + k;
                if (!VisitName(i, CasedName(r_.catalogue[i].Name()))) return;
            }
        }
    }

    // The same with the names of a batch of entries laid end to end first. False once the
    // search is to end.
    bool RunNamesOnePassCopied(size_t first, size_t last) {
        constexpr size_t kBatch = 1024;
        for (size_t batchFirst = first; batchFirst < last; batchFirst += kBatch) {
            if (Stopped()) return false;
            const size_t batchLast = std::min(last, batchFirst + kBatch);
            size_t bytes = 0;
            for (size_t i = batchFirst; i < batchLast; ++i) bytes += r_.catalogue[i].Name().size() + 1;
            batchText_.resize(bytes);
            batchNames_.clear();
            char* out = batchText_.data();
            for (size_t i = batchFirst; i < batchLast; ++i) {
                const std::string_view name = r_.catalogue[i].Name();
                std::memcpy(out, name.data(), name.size());
                batchNames_.emplace_back(out, name.size());
                out += name.size();
                *out++ = '\0';
            }
            MarkNamesMayHoldUpper(batchNames_, literal_, batchMarks_);
            for (size_t k = 0; k < batchNames_.size(); ++k) {
                if (batchMarks_[k] == 0) continue;
                if (!VisitName(batchFirst + k, CasedName(batchNames_[k]))) return false;
            }
        }
        return true;
    }

    // The type first, then the full path, which is assembled only for entries that pass it.
    bool VisitFullPath(size_t i, std::string_view name) {
        if (Stopped()) return false;
        const TMyItem& entry = r_.catalogue[i];
        if (!PassesTypeFilter(entry, r_.options)) return true;
        bool match;
        if (folderParts_) {
            match = r_.matcher.Combine(
                [&](size_t t) { return folderHits_[t] != 0 || r_.matcher.TermMatches(t, name, scratch_); });
        } else {
            path_.clear();
            if (splitsHere_ || !upper_) {
                path_.append(folder_);
                path_.append(name);
            } else {
                rawPath_.clear();
                rawPath_.append(entry.Folder());
                rawPath_.append(entry.Name());
                AppendCaseForm(path_, rawPath_, true);
            }
            match = r_.matcher.MatchesPrepared(path_, scratch_);
        }
        return match ? Add(i) : true;
    }

    const MatchRequest& r_;
    const bool upper_;
    const std::string& literal_;
    const std::string_view literalToSlash_;  // the literal up to its last "/" (empty without one)
    size_t limit_;
    std::vector<size_t>& out_;
    std::string scratch_;
    std::string path_;
    std::string rawPath_;
    std::string nameText_;
    std::string folderText_;
    std::string_view folder_;
    bool splitsHere_ = false;
    bool folderParts_ = false;
    std::string_view namesNeed_;
    std::vector<uint8_t> folderHits_;
    std::vector<size_t> runsHolding_;
    std::string batchText_;
    std::vector<std::string_view> batchNames_;
    std::vector<uint8_t> batchMarks_;
    std::vector<EntryList::NameStretch> stretches_;
    std::vector<size_t> positions_;
};

}  // namespace

void CollectMatches(const MatchRequest& request, size_t limit, std::vector<size_t>& out) {
    Collector(request, limit, out).Run(0, request.catalogue.Count());
}

}  // namespace quillory
