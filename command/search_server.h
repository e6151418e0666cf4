#pragma once
// The running program's side of the search channel (command/search_channel.h): quillory-cli
// hands it a search and it answers from the catalogue in memory.
//
// Everything happens on one worker thread, never on the window's: it accepts a connection
// (only from the same user), reads one request (size-limited, time-limited), and with a
// shared hold on the catalogue taken without waiting (CatalogueKeeper::TryRead: while a
// rescan owns the catalogue, or the window changes it, the answer is "busy" and the client
// reads the file) searches, sorts (from the catalogue's column ranks when they are ready) and
// formats straight from the catalogue's entries. Meanwhile the output goes to the client only
// as far as its socket takes it without waiting; whatever is left is sent after the hold is
// let go. So a slow or stopped client never keeps the window (or a rescan) waiting: the hold
// lasts as long as the search and the formatting. The window's result list, search history
// and busy state are never touched.
//
// Nor does a costly search keep the window waiting: a search has a time budget, and the
// window stops it at once whenever it is about to change the catalogue (the keeper asks its
// readers to stop, see CatalogueKeeper::SetReaderStop). A stopped search answers "busy",
// and the client reads the file. Only output already under way through the socket (the
// search behind it was complete) is formatted to its end. Sending the answer has a deadline
// of its own, and ends at once when the server stops.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "command/search_channel.h"
#include "command/search_command.h"
#include "platform/local_socket.h"
#include "platform/worker.h"
#include "results/sort_results.h"
#include "search/search_driver.h"

namespace quillory::command {

class CatalogueKeeper;

class SearchServer {
  public:
    // `workingDatabasePath`: the file the catalogue in memory stands for; a client asking
    // about another file gets "busy" and reads that file itself.
    SearchServer(CatalogueKeeper& keeper, std::string workingDatabasePath);
    // Stops listening, ends the worker and removes the socket file.
    ~SearchServer();
    SearchServer(const SearchServer&) = delete;
    SearchServer& operator=(const SearchServer&) = delete;

    // Listens on `socketPath` (user-only). A socket file already there is replaced: call it
    // only once this copy owns the command-word socket. False with the reason in *error, or,
    // without `error`, on the standard error stream.
    bool Listen(const std::string& socketPath, std::string* error = nullptr);
    void Stop();

    // How long a client may take to send its request, and to take the whole answer.
    void SetTimeouts(int requestMs, int sendMs) {
        requestMs_ = requestMs;
        sendMs_ = sendMs;
    }
    // How long a search may hold the catalogue (searching, sorting, formatting) before it is
    // stopped and answers "busy"; from the next search on.
    void SetSearchBudget(int ms) { searchBudgetMs_.store(ms); }
    // From any thread: ends a search under way at once (it answers "busy"). The window's
    // searches, rescans and the program's end ask it through the catalogue keeper.
    void StopSearch();
    // Connections answered (any answer), and whether a search holds the catalogue, for tests.
    size_t Answered() const { return answered_.load(); }
    bool Searching() const { return searching_.load(); }

  private:
    // What the search under the catalogue's hold came to.
    struct HeldSearch;

    void Serve(std::stop_token stop);
    // Ends a search that outlives its budget.
    void WatchSearches(std::stop_token stop);
    // Reads the request of `client` and answers it.
    void Answer(LocalSocketConnection& client);
    // The request's bytes once they are whole; otherwise nothing, with the refusal sent.
    std::optional<std::string> ReceiveRequest(LocalSocketConnection& client);
    void Search(LocalSocketConnection& client, const ChannelRequest& request);
    // Searches and formats under the catalogue's hold; the output goes to `client` through
    // `held`'s stream.
    void SearchHeld(const Catalogue& catalogue, const SearchRequest& search, bool outputIsTerminal,
                    LocalSocketConnection& client, HeldSearch& held);
    // Sends the whole of `bytes` within the send time; false when the client did not take it.
    bool SendAll(LocalSocketConnection& client, std::string_view bytes) const;
    // A search begins (its stop request cleared, its budget running) or ends.
    void BeginSearch();
    void EndSearch();

    CatalogueKeeper& keeper_;
    std::string workingDatabasePath_;
    std::string environment_;
    LocalSocketServer socket_;
    int requestMs_ = 2000;
    int sendMs_ = 5000;
    std::atomic<int> searchBudgetMs_{2000};
    std::atomic<size_t> answered_{0};
    // Set to end the search under way; the search driver and the output sinks watch it.
    std::atomic<bool> stopSearch_{false};
    // The search under way, for the watch over its budget.
    std::mutex searchMutex_;
    std::condition_variable_any searchChanged_;
    std::atomic<bool> searching_{false};
    uint64_t searchNumber_ = 0;
    std::chrono::steady_clock::time_point searchDeadline_;
    // The worker's alone: the output sort's collation (the environment is the client's, as
    // the request's check ensures) and its working memory.
    ResultSorter sorter_;
    TSearchDriver driver_;
    std::optional<Worker<void>> watch_;
    std::optional<Worker<void>> worker_;
};

}  // namespace quillory::command
