#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <optional>

namespace tavrel::gui {

namespace {

constexpr int kConnectMilliseconds = 1000;
constexpr int kReplyMilliseconds = 3000;

QByteArray Line(const char* word, const QString& home) {
  QByteArray line(word);
  if (!home.isEmpty()) line += ' ' + home.toUtf8();
  return line + '\n';
}

// The home after the word of a line, or nothing when the line does not start with the word.
std::optional<QString> HomeOf(const char* word, QByteArray line) {
  if (line.endsWith('\n')) line.chop(1);
  const QByteArray start(word);
  if (line == start) return QString();
  if (!line.startsWith(start + ' ')) return std::nullopt;
  return QString::fromUtf8(line.mid(start.size() + 1));
}

}  // namespace

TSingleInstance::TSingleInstance(QString serverName, QString home, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)), home_(std::move(home)) {}

bool TSingleInstance::AskRunningInstanceToRaise(QString* runningHome) {
  // Two starts at the same moment must not both remove the other's socket and listen: the
  // check and the listen happen under one lock file.
  QLockFile startLock(QDir::temp().filePath(serverName_ + ".lock"));
  startLock.setStaleLockTime(10000);
  startLock.tryLock(5000);

  QLocalSocket socket;
  socket.connectToServer(serverName_);
  if (socket.waitForConnected(kConnectMilliseconds)) {
    socket.write(Line(kRaiseRequest, home_));
    socket.waitForBytesWritten(kReplyMilliseconds);
    // The reply says the request arrived; a first instance that hangs does not hold this one.
    while (!socket.canReadLine() && socket.waitForReadyRead(kReplyMilliseconds)) {
    }
    if (runningHome != nullptr) {
      *runningHome = HomeOf(kRaisedReply, socket.readLine()).value_or(QString());
    }
    socket.disconnectFromServer();
    return true;
  }
  // Nobody answers: what is left under the name is a crashed instance's socket.
  QLocalServer::removeServer(serverName_);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_.get(), &QLocalServer::newConnection, this, [this] { AcceptConnection(); });
  server_->listen(serverName_);
  return false;
}

void TSingleInstance::AcceptConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      while (socket->canReadLine()) {
        const std::optional<QString> askedHome = HomeOf(kRaiseRequest, socket->readLine());
        if (!askedHome) continue;
        // Answered first: the handler may show a message, and the later start must not wait
        // for it.
        socket->write(Line(kRaisedReply, home_));
        socket->flush();
        if (raise_) raise_(*askedHome);
      }
    });
  }
}

}  // namespace tavrel::gui
