#include "client/shell/InstanceChecker.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>

namespace arkvale {
namespace {

constexpr int kConnectTimeoutMs = 2000;
constexpr int kWriteTimeoutMs = 1000;

QString SocketPath() { return QString::fromStdString(plat::InstanceSocketPath(kInstanceName)); }

}  // namespace

CInstanceChecker::CInstanceChecker(QObject* parent) : QObject(parent) {}

CInstanceChecker::~CInstanceChecker() {
  if (server_ != nullptr) server_->close();
}

bool CInstanceChecker::PreviousInstanceRunning() {
  return lock_.TryAcquire(kInstanceName) == plat::InstanceLock::Result::HeldElsewhere;
}

bool CInstanceChecker::TrackFirstInstance(QWidget* mainWindow) {
  window_ = mainWindow;
  if (server_ == nullptr) {
    server_ = new QLocalServer(this);
    connect(server_, &QLocalServer::newConnection, this, [this] {
      while (QLocalSocket* knock = server_->nextPendingConnection()) {
        connect(knock, &QLocalSocket::disconnected, knock, &QObject::deleteLater);
        Activate();
      }
    });
  }
  if (server_->isListening()) return true;
  // Only the lock holder gets here; a socket file left by a crashed first instance is stale.
  QLocalServer::removeServer(SocketPath());
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  return server_->listen(SocketPath());
}

void CInstanceChecker::ActivatePreviousInstance() {
  QLocalSocket knock;
  knock.connectToServer(SocketPath());
  if (!knock.waitForConnected(kConnectTimeoutMs)) return;
  knock.write("activate");
  knock.waitForBytesWritten(kWriteTimeoutMs);
  knock.disconnectFromServer();
}

void CInstanceChecker::Activate() {
  if (window_ == nullptr) return;
  if (window_->isMinimized() || window_->isHidden()) window_->showNormal();
  QWidget* front = QApplication::activeModalWidget();
  if (front == nullptr) front = window_;
  front->raise();
  front->activateWindow();
}

}  // namespace arkvale
