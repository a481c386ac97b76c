#include "app/single_instance.h"

#include <QDir>
#include <QLocalSocket>

namespace tavrel::gui {

namespace {

constexpr int kConnectMilliseconds = 1000;
constexpr int kReplyMilliseconds = 3000;

}  // namespace

TSingleInstance::TSingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {}

bool TSingleInstance::AskRunningInstanceToRaise() {
  // Two starts at the same moment must not both remove the other's socket and listen: the
  // check and the listen happen under one lock file.
  QLockFile startLock(QDir::temp().filePath(serverName_ + ".lock"));
  startLock.setStaleLockTime(10000);
  startLock.tryLock(5000);

  QLocalSocket socket;
  socket.connectToServer(serverName_);
  if (socket.waitForConnected(kConnectMilliseconds)) {
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kReplyMilliseconds);
    // The reply says the request arrived; a first instance that hangs does not hold this one.
    socket.waitForReadyRead(kReplyMilliseconds);
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
      const QByteArray request = socket->readAll();
      if (!request.contains("raise")) return;
      if (raise_) raise_();
      socket->write(kRaisedReply);
      socket->flush();
    });
  }
}

}  // namespace tavrel::gui
