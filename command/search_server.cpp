#include "command/search_server.h"

#include <algorithm>
#include <cstdio>

#include "command/catalogue_keeper.h"
#include "command/command_status.h"
#include "platform/clock.h"
#include "platform/file_operations.h"

namespace quillory::command {

namespace {

// Whether both paths name the same file (or, for files that do not exist, the same text).
bool SameFile(const std::string& a, const std::string& b) {
    FileOperations& files = SystemFileOperations();
    FileStatus infoA;
    FileStatus infoB;
    if (files.Stat(a, infoA) == 0 && files.Stat(b, infoB) == 0) {
        return infoA.device == infoB.device && infoA.inode == infoB.inode;
    }
    return a == b;
}

// The output on its way to the client: blocks are added as they are formatted and go out at
// once as far as the socket takes them, without ever waiting, so formatting under the
// catalogue's hold overlaps the client's reading and is never held up by it. What the socket
// did not take waits here, and is sent once the hold is let go.
class AnswerStream {
  public:
    explicit AnswerStream(LocalSocketConnection& client) : client_(client) {}

    // Adds a block of output (taken from `block`) and sends what the socket takes now.
    // False once the client has gone (nothing more needs formatting).
    bool AddBlock(std::string& block) {
        if (failed_) return false;
        // Blocks longer than the format allows go out in parts.
        for (std::string_view rest = block; !rest.empty();) {
            const size_t part = std::min<size_t>(rest.size(), kMaxAnswerBlockBytes);
            waiting_ += EncodeBlockLength(static_cast<uint32_t>(part));
            waiting_ += rest.substr(0, part);
            rest.remove_prefix(part);
        }
        block.clear();
        const long sent = client_.SendAvailable(std::string_view(waiting_).substr(sent_));
        failed_ = sent < 0;
        if (failed_) return false;
        began_ = began_ || sent > 0;
        sent_ += static_cast<size_t>(sent);
        if (sent_ == waiting_.size()) {
            waiting_.clear();
            sent_ = 0;
        }
        return true;
    }
    // Adds the end of the answer and sends everything left; false when the client did not
    // take it all by `deadline`.
    bool Finish(std::string_view end, SteadyTime deadline) {
        if (failed_) return false;
        waiting_ += end;
        return client_.SendAll(std::string_view(waiting_).substr(sent_), deadline);
    }
    // Whether any byte of the output has gone (the answer can no longer be replaced by
    // another one).
    bool Began() const { return began_; }

  private:
    LocalSocketConnection& client_;
    std::string waiting_;
    size_t sent_ = 0;
    bool failed_ = false;
    bool began_ = false;
};

}  // namespace

struct SearchServer::HeldSearch {
    explicit HeldSearch(LocalSocketConnection& client) : stream(client) {}

    AnswerStream stream;
    std::string statusText;
    int exitStatus = kExitError;
    // The answer's first byte went: the client allows the search its time.
    bool started = false;
    bool formatted = false;
    // Stopped while the search held the catalogue, with no output gone: the answer is "busy".
    bool stopped = false;
};

SearchServer::SearchServer(CatalogueKeeper& keeper, std::string workingDatabasePath)
    : keeper_(keeper),
      workingDatabasePath_(std::move(workingDatabasePath)),
      environment_(OutputEnvironment()),
      sorter_(Collation::FromEnvironment(CollationStrength::Tertiary)) {
    driver_.SetStopRequest(&stopSearch_);
    keeper_.SetReaderStop([this] { StopSearch(); });
}

SearchServer::~SearchServer() {
    Stop();
    keeper_.SetReaderStop(nullptr);
}

void SearchServer::StopSearch() {
    stopSearch_.store(true);
}

void SearchServer::BeginSearch() {
    {
        const std::lock_guard lock(searchMutex_);
        // Cleared before the catalogue is asked for: a stop asked for meanwhile is kept.
        stopSearch_.store(false);
        searching_.store(true);
        ++searchNumber_;
        searchDeadline_ = SteadyNow() + std::chrono::milliseconds(searchBudgetMs_.load());
    }
    searchChanged_.notify_all();
}

void SearchServer::EndSearch() {
    {
        const std::lock_guard lock(searchMutex_);
        searching_.store(false);
    }
    searchChanged_.notify_all();
}

void SearchServer::WatchSearches(std::stop_token stop) {
    std::unique_lock lock(searchMutex_);
    while (!stop.stop_requested()) {
        if (!searching_.load()) {
            searchChanged_.wait(lock, stop, [this] { return searching_.load(); });
            continue;
        }
        const uint64_t number = searchNumber_;
        const auto over = [this, number] { return !searching_.load() || searchNumber_ != number; };
        if (searchChanged_.wait_until(lock, stop, searchDeadline_, over) || stop.stop_requested()) continue;
        // The budget is spent: the search ends (a stop set now only ever ends this search,
        // as the next one clears it under the same lock).
        stopSearch_.store(true);
        searchChanged_.wait(lock, stop, over);
    }
}

bool SearchServer::Listen(const std::string& socketPath, std::string* error) {
    if (socket_.Listening()) return true;
    std::string reason;
    if (!socket_.Listen(socketPath, reason)) {
        if (error) {
            *error = reason;
        } else {
            std::fprintf(stderr, "quillory: %s\n", reason.c_str());
        }
        return false;
    }
    watch_.emplace([this](std::stop_token stop) { WatchSearches(stop); });
    worker_.emplace([this](std::stop_token stop) { Serve(stop); });
    return true;
}

void SearchServer::Stop() {
    if (!socket_.Listening()) return;
    // Ends the search, and every wait for a client, at once.
    socket_.Stop();
    StopSearch();
    worker_.reset();
    watch_.reset();
    socket_.Close();
}

void SearchServer::Serve(std::stop_token stop) {
    while (!stop.stop_requested()) {
        const std::unique_ptr<LocalSocketConnection> client = socket_.Accept();
        if (!client) return;
        Answer(*client);
    }
}

bool SearchServer::SendAll(LocalSocketConnection& client, std::string_view bytes) const {
    return client.SendAll(bytes, SteadyNow() + std::chrono::milliseconds(sendMs_));
}

std::optional<std::string> SearchServer::ReceiveRequest(LocalSocketConnection& client) {
    std::string bytes;
    const SteadyTime deadline = SteadyNow() + std::chrono::milliseconds(requestMs_);
    ChannelRequest unused;
    for (;;) {
        const DecodeStatus status = DecodeRequest(bytes, unused);
        if (status == DecodeStatus::Complete) return bytes;
        const char* refusal = status == DecodeStatus::TooLarge  ? "The request is larger than the limit"
                              : status == DecodeStatus::Invalid ? "The request is not a search request"
                                                                : nullptr;
        if (!refusal) {
            char buffer[16 * 1024];
            const long got = client.ReadSome(buffer, sizeof(buffer), deadline);
            if (got > 0) {
                bytes.append(buffer, static_cast<size_t>(got));
                continue;
            }
            // Too slow, or the server ends: dropped without an answer.
            if (got < 0) return std::nullopt;
            refusal = "The request is incomplete";  // the client ended before a whole request
        }
        SendAll(client, EncodeErrorAnswer(refusal));
        // The rest of a refused request is read and dropped (until the request time is up):
        // closing with bytes unread resets the connection, and the client would lose the answer.
        client.FinishSending();
        char rest[16 * 1024];
        while (client.ReadSome(rest, sizeof(rest), deadline) > 0) {
        }
        ++answered_;
        return std::nullopt;
    }
}

void SearchServer::Answer(LocalSocketConnection& client) {
    const std::optional<std::string> bytes = ReceiveRequest(client);
    if (!bytes) return;
    ChannelRequest request;
    DecodeRequest(*bytes, request);
    Search(client, request);
    ++answered_;
}

void SearchServer::Search(LocalSocketConnection& client, const ChannelRequest& request) {
    const std::string busy(1, kAnswerBusy);
    // Another file, or settings that would sort or format otherwise: the client reads the file.
    if (request.environment != environment_ || !SameFile(request.databasePath, workingDatabasePath_)) {
        SendAll(client, busy);
        return;
    }
    SearchRequest search;
    try {
        search = ParseSearchArguments(request.args);
    } catch (const UsageError& e) {
        SendAll(client, EncodeErrorAnswer(e.what()));
        return;
    }
    client.EnlargeSendBuffer();
    HeldSearch held(client);
    BeginSearch();
    const bool searched = keeper_.TryRead([&](const Catalogue& catalogue) {
        SearchHeld(catalogue, search, request.outputIsTerminal, client, held);
    });
    EndSearch();
    if (!searched || (!held.started && held.stopped)) {
        SendAll(client, busy);
    } else if (held.started && held.stopped) {
        // After the answer's first byte: the stop's own mark, and the client reads the file.
        SendAll(client, EncodeBlockLength(kSearchStoppedMarker));
    } else if (held.formatted) {
        held.stream.Finish(EncodeAnswerEnd(static_cast<uint32_t>(held.exitStatus), held.statusText + "\n"),
                           SteadyNow() + std::chrono::milliseconds(sendMs_));
    }
}

// Search, sort and format run under the shared hold, with the catalogue's own entries (no
// copies): CPU work bounded by the answer's size, a few milliseconds, or as long as the budget
// allows a costly search.
void SearchServer::SearchHeld(const Catalogue& catalogue, const SearchRequest& search, bool outputIsTerminal,
                              LocalSocketConnection& client, HeldSearch& held) {
    if (stopSearch_.load()) {
        held.stopped = true;
        return;
    }
    // One byte to an empty socket never waits; the client now allows the search its time.
    held.started = client.SendAvailable(std::string(1, kAnswerRunning)) == 1;
    if (!held.started) return;
    // The output is sent as it comes only once the search behind it is whole: until its first
    // byte has gone, a stop still turns the answer into "busy".
    const OutputBlockSink toClient = [this, &held](std::string& block) {
        if (!held.stream.Began() && stopSearch_.load(std::memory_order_relaxed)) return false;
        return held.stream.AddBlock(block);
    };
    try {
        held.exitStatus = AnswerFromCatalogue(
            search, catalogue.Entries, catalogue.CurrentNames(search.search.CaseSensitive), &catalogue.Ranks,
            sorter_, driver_, outputIsTerminal, toClient, held.statusText);
        held.formatted = held.exitStatus != kExitError;
    } catch (const std::exception&) {
        // The client sees the answer end early: before any output it reads the file.
    }
    held.stopped = stopSearch_.load() && !held.stream.Began();
}

}  // namespace quillory::command
