#pragma once
// Turns a second start of the program away and brings the first instance to the front. The
// first instance holds the instance lock for its whole life and listens on a local socket of
// the same name; a second start finds the lock taken and knocks on the socket.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/SingleInstance.h"

class QLocalServer;

namespace arkvale {

inline constexpr const char* kInstanceName = plat::kArkvaleInstanceName;

class CInstanceChecker : public QObject {
  Q_OBJECT
 public:
  explicit CInstanceChecker(QObject* parent = nullptr);
  ~CInstanceChecker() override;

  // True when another instance holds the lock. Otherwise this one now holds it.
  bool PreviousInstanceRunning();
  // Listens for later starts; each of them raises mainWindow (restored when minimized).
  bool TrackFirstInstance(QWidget* mainWindow);
  // Asks the first instance to come to the front; bounded waits, no answer expected.
  void ActivatePreviousInstance();

 private:
  void Activate();

  plat::InstanceLock lock_;
  QLocalServer* server_ = nullptr;
  QPointer<QWidget> window_;
};

}  // namespace arkvale
