#include "search/match_collector.h"

#include "platform/text.h"
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

class Collector {
public:
    Collector(const MatchRequest& request, size_t limit, std::vector<size_t>& out)
        : r_(request), limit_(limit), out_(out) {}

    void Run(size_t first, size_t last) {
        if (first >= last || out_.size() >= limit_) return;
        if (r_.options.FullPath) {
            RunFullPath(first, last);
        } else {
            RunNames(first, last);
        }
    }

private:
    bool Add(size_t i) {
        out_.push_back(i);
        return out_.size() < limit_;
    }

    // Name first, then the type: the name test is what rules most entries out.
    bool VisitName(size_t i) {
        if (!r_.matcher.MatchesPrepared(r_.cache.Name(i), scratch_)) return true;
        if (!PassesTypeFilter(r_.catalogue[i], r_.options)) return true;
        return Add(i);
    }

    void RunNames(size_t first, size_t last) {
        const std::string& literal = r_.plan.requiredLiteral;
        if (!literal.empty()) {
            ForEachNameHit(r_.cache, literal, first, last, [this](size_t i) { return VisitName(i); });
            return;
        }
        for (size_t i = first; i < last; ++i) {
            if (!VisitName(i)) return;
        }
    }

    void RunFullPath(size_t first, size_t last) {
        const std::string& literal = r_.plan.requiredLiteral;
        const bool literalHasSlash = literal.find('/') != std::string::npos;
        for (size_t run = r_.cache.RunOf(first); run < r_.cache.RunCount(); ++run) {
            const size_t runFirst = std::max(first, r_.cache.RunStart(run));
            const size_t runLast = std::min(last, r_.cache.RunStart(run + 1));
            if (runFirst >= runLast) break;
            folder_ = r_.cache.RunFolder(run);
            // After a "/" (or with no folder at all) the name's characters start afresh, so
            // the full path's case form is the folder's followed by the name's, and a text
            // without "/" lies either in the folder or in the name.
            splitsHere_ = folder_.empty() || folder_.back() == '/';
            const bool folderParts = splitsHere_ && r_.plan.splitsAtFolder;
            if (folderParts) {
                folderHits_.assign(r_.matcher.TermCount(), 0);
                for (size_t t = 0; t < r_.matcher.TermCount(); ++t) {
                    folderHits_[t] = r_.matcher.TermMatches(t, folder_, scratch_) ? 1 : 0;
                }
            }
            auto visit = [&](size_t i) { return VisitFullPath(i, folderParts); };
            if (!literal.empty() && splitsHere_ && !literalHasSlash &&
                FindBytes(folder_.data(), folder_.size(), literal) == nullptr) {
                // No entry of this folder can match unless its own name holds the literal.
                if (!ForEachNameHit(r_.cache, literal, runFirst, runLast, visit)) return;
                continue;
            }
            for (size_t i = runFirst; i < runLast; ++i) {
                if (!visit(i)) return;
            }
        }
    }

    // The type first, then the full path, which is assembled only for entries that pass it.
    bool VisitFullPath(size_t i, bool folderParts) {
        const TMyItem& entry = r_.catalogue[i];
        if (!PassesTypeFilter(entry, r_.options)) return true;
        const std::string_view name = r_.cache.Name(i);
        bool match;
        if (folderParts) {
            match = r_.matcher.Combine(
                [&](size_t t) { return folderHits_[t] != 0 || r_.matcher.TermMatches(t, name, scratch_); });
        } else {
            path_.clear();
            if (splitsHere_ || r_.matcher.CaseSensitive()) {
                path_.append(folder_);
                path_.append(name);
            } else {
                path_.append(entry.Folder());
                path_.append(entry.Name());
                upperPath_.clear();
                text::AppendUpperCase(path_, upperPath_);
                path_.swap(upperPath_);
            }
            match = r_.matcher.MatchesPrepared(path_, scratch_);
        }
        return match ? Add(i) : true;
    }

    const MatchRequest& r_;
    size_t limit_;
    std::vector<size_t>& out_;
    std::string scratch_;
    std::string path_;
    std::string upperPath_;
    std::string_view folder_;
    bool splitsHere_ = false;
    std::vector<uint8_t> folderHits_;
};

}  // namespace

void CollectMatches(const MatchRequest& request, size_t first, size_t last, size_t limit,
                    std::vector<size_t>& out) {
    Collector(request, limit, out).Run(first, last);
}

}  // namespace quillory
