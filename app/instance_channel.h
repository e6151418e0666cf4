#pragma once
// How a second start of the program finds and addresses a copy that is already running: the
// running copy holds a lock beside a local socket named after its main window's class,
// $XDG_RUNTIME_DIR/TQuilloryForm1 (user-only access), for its whole life; a second start
// connects, sends one line and ends. The lines: "quit", "rescan", "show" (bring the window
// up) and "open " followed by a database path, percent-encoded, so any bytes a path may hold
// travel on one line.

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace quillory::app {

inline constexpr int kInstanceConnectTimeoutMs = 1000;
// A client that sends this many bytes without a line break is dropped: room for "open " and
// the longest path, percent-encoded.
inline constexpr int kInstanceMaxLineLength = 3 * 4096 + 16;
// A client has this long from its connection to say what it has to say; one that takes
// longer is dropped, so idle connections cannot use up the program's descriptors.
inline constexpr int kInstanceClientMs = 3000;
// Clients connected at once; a connection beyond them is closed at once.
inline constexpr int kInstanceMaxClients = 16;

// The socket's full path, computed afresh on each call: $XDG_RUNTIME_DIR/TQuilloryForm1, or
// the runtime folder Qt chooses when XDG_RUNTIME_DIR is unset.
QString InstanceSocketPath();

// Client side. Sends `word` ("quit" or "rescan") and a line break to a running copy; true
// when one accepted the connection within the timeout and the line was handed over, false
// when no copy is running. Blocks for at most about twice the timeout; usable before any
// window exists.
bool SendToRunningCopy(const QString& word, int timeoutMs = kInstanceConnectTimeoutMs);

// The line that asks a running copy to open `path` as its database.
QString OpenDatabaseWord(const QString& path);

// Like SendToRunningCopy, for a start that found the copy's lock taken: the copy may still be
// starting, so it is asked again for up to `patienceMs` before the start gives up.
bool SendToStartingCopy(const QString& word, int patienceMs = 10000);

// Server side, owned by the running copy's main window. Never blocks: lines are read as
// they arrive through the event loop. Only programs of the same user are heard (the
// connection's credentials are checked, whatever the socket's permissions).
class InstanceServer : public QObject {
    Q_OBJECT

  public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // Takes the name. A socket file left behind by a copy that ended without closing it is
    // removed first; the socket of a copy that answers is never touched. False (with the
    // reason in *error) when a live copy owns the name, something else (a file, a folder, a
    // link) is in its place, or the socket cannot be created.
    bool Listen(QString* error = nullptr);
    bool IsListening() const;
    // The socket path while listening.
    QString SocketPath() const;
    // How long a client may stay connected (kInstanceClientMs), for tests.
    void SetClientTimeout(int ms) { clientMs_ = ms; }

  Q_SIGNALS:
    void quitRequested();
    void rescanRequested();
    void showRequested();
    void openRequested(const QString& path);

  private:
    void AcceptClients();
    void ReadClient(QLocalSocket* client);

    QLocalServer* server_;
    int clients_ = 0;
    int clientMs_ = kInstanceClientMs;
};

}  // namespace quillory::app
