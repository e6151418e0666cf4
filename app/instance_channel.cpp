#include "app/instance_channel.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include "platform/clock.h"
#include "platform/path_status.h"
#include "platform/peer_credentials.h"

namespace quillory::app {
namespace {

const char kSocketName[] = "TQuilloryForm1";

// Whether a copy is listening at `path`: it accepts a connection.
bool CopyAnswers(const QString& path, int timeoutMs) {
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool answered = probe.waitForConnected(timeoutMs);
    probe.abort();
    return answered;
}

// A socket file nobody listens on. Anything else at that path (a file, a folder) is not ours
// to delete.
bool IsSocketFile(const QString& path) {
    return IsSocketEntry(QFile::encodeName(path).toStdString());
}

bool PathExists(const QString& path) {
    return PathEntryExists(QFile::encodeName(path).toStdString());
}

}  // namespace

QString InstanceSocketPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir::cleanPath(folder + QLatin1Char('/') + QLatin1String(kSocketName));
}

bool SendToRunningCopy(const QString& word, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(InstanceSocketPath());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write((word + QLatin1Char('\n')).toUtf8());
    // Fire and forget: once the line is in the socket the running copy reads it.
    const bool written = socket.waitForBytesWritten(timeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
    return written;
}

QString OpenDatabaseWord(const QString& path) {
    return QStringLiteral("open ") + QString::fromLatin1(QFile::encodeName(path).toPercentEncoding());
}

bool SendToStartingCopy(const QString& word, int patienceMs) {
    const int64_t start = SteadyTickCount();
    for (;;) {
        if (SendToRunningCopy(word)) return true;
        if (SteadyTickCount() - start >= patienceMs) return false;
        QThread::msleep(100);
    }
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceServer::AcceptClients);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen(QString* error) {
    const auto fail = [error](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    if (server_->isListening()) return true;
    const QString path = InstanceSocketPath();
    // Look before listening: Qt creates a user-only socket beside the name and renames it
    // into place, which would silently take the name from a live copy. A link is not
    // followed: whatever it points to is not ours to ask or to remove.
    if (PathExists(path)) {
        if (!IsSocketFile(path))
            return fail(path + QStringLiteral(
                                   " exists and is not a socket (a file, folder or link is in its place)"));
        if (CopyAnswers(path, kInstanceConnectTimeoutMs))
            return fail(QStringLiteral("A running copy owns ") + path);
        // Left behind by a copy that ended abruptly.
        QLocalServer::removeServer(path);
    }
    if (!server_->listen(path)) return fail(server_->errorString());
    return true;
}

bool InstanceServer::IsListening() const {
    return server_->isListening();
}

QString InstanceServer::SocketPath() const {
    return server_->fullServerName();
}

void InstanceServer::AcceptClients() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        // Another user's program is not heard (the socket's permissions may have been
        // loosened), nor a client beyond the limit.
        if (clients_ >= kInstanceMaxClients ||
            !PeerIsSameUser(static_cast<int>(client->socketDescriptor()))) {
            client->abort();
            delete client;
            continue;
        }
        ++clients_;
        connect(client, &QObject::destroyed, this, [this] { --clients_; });
        connect(client, &QLocalSocket::readyRead, this, [this, client] { ReadClient(client); });
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        // Time to say it is counted from the connection, so a client that trickles bytes is
        // dropped as surely as one that sends none.
        QTimer::singleShot(clientMs_, client, [client] {
            client->abort();
            client->deleteLater();
        });
        // A line may already be waiting.
        if (client->bytesAvailable() > 0) ReadClient(client);
    }
}

void InstanceServer::ReadClient(QLocalSocket* client) {
    const auto drop = [client] {
        client->abort();
        client->deleteLater();
    };
    while (client->canReadLine()) {
        QByteArray line = client->readLine(kInstanceMaxLineLength + 2);
        // Longer than any word: the rest of it must not be taken for a line of its own.
        if (!line.endsWith('\n')) return drop();
        line.chop(1);
        if (line.endsWith('\r')) line.chop(1);
        if (line == "quit") {
            Q_EMIT quitRequested();
        } else if (line == "rescan") {
            Q_EMIT rescanRequested();
        } else if (line == "show") {
            Q_EMIT showRequested();
        } else if (line.startsWith("open ")) {
            const QByteArray path = QByteArray::fromPercentEncoding(line.mid(5));
            if (!path.isEmpty()) Q_EMIT openRequested(QFile::decodeName(path));
        }
        // Anything else is not for us and is ignored.
    }
    if (client->bytesAvailable() > kInstanceMaxLineLength) drop();
}

}  // namespace quillory::app
