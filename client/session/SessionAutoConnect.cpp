// The automatic connection: the login of the Connect command without dialogs, from the
// configuration file, with the host lookup on a thread of its own so a hanging resolver cannot
// hold the caller for more than about four seconds.
#include <chrono>
#include <thread>

#include "client/session/Framing.h"
#include "client/session/Session.h"
#include "client/settings/ConfigFile.h"
#include "client/settings/EventLog.h"
#include "client/document/ArkvaleDoc.h"
#include "platform/Sockets.h"

namespace arkvale {

namespace {
constexpr int kLookupWaits = 4;
constexpr auto kLookupWaitStep = std::chrono::milliseconds(1000);
}  // namespace

// Shared with the lookup thread, which may outlive the wait (and the session) when the
// resolver hangs.
struct CSession::Lookup {
  std::string name;
  std::optional<uint32_t> result;
  std::atomic<bool> lookupDone{false};
};

void CSession::StartHostLookup(const std::string& hostName) {
  auto lookup = std::make_shared<Lookup>();
  lookup->name = hostName;
  {
    std::lock_guard guard(lookupMutex_);
    lookup_ = lookup;
  }
  std::thread([lookup] {
    lookup->result = plat::LookupHost(lookup->name);
    lookup->lookupDone = true;
  }).detach();
}

std::optional<uint32_t> CSession::WaitForHostLookup() {
  std::shared_ptr<Lookup> lookup;
  {
    std::lock_guard guard(lookupMutex_);
    lookup = std::move(lookup_);
  }
  if (!lookup) return std::nullopt;
  for (int i = 0; i < kLookupWaits && !lookup->lookupDone; ++i) {
    std::this_thread::sleep_for(kLookupWaitStep);
  }
  // A lookup still running counts as failed; its result is not read while it may be written.
  if (!lookup->lookupDone) return std::nullopt;
  return lookup->result;
}

int CSession::ConnectAutomatically() {
  if (sessionSocket != -1) return 0;
  std::optional<ConfigSettings> settings = ReadConfigFile(doc_.installDirectory);
  if (!settings) {
    Log(kLogError, "Failed to open the configuration file during automatic backup");
    return 1;
  }
  const std::string hostName = ServerHostName(settings->serverName);
  StartHostLookup(hostName);
  std::optional<uint32_t> address = WaitForHostLookup();
  if (!address) {
    Log(kLogError, "Received an error while looking for " + hostName + " server");
    return 1;
  }
  int socket = plat::SocketCreate();
  if (socket < 0) return 1;
  if (!BeginSession(socket)) {
    plat::SocketClose(socket);
    return 0;
  }
  if (plat::SocketConnect(socket, *address, serverPort) != 0) {
    Log(kLogError, "Error on connect");
    EndSession(socket);
    return 1;
  }
  std::optional<std::string> text = CredentialsText(settings->userName, settings->password);
  std::string encrypted;
  if (!text || EncryptCredentials(*text, encrypted, Owner::None) == -1) {
    Log(kLogError,
        "Automatic connection to server failed due to error encrypting user and password");
    EndSession(socket);
    return 1;
  }
  SendBytes(socket, encrypted.data(), encrypted.size());
  if (ReceiveReply(socket, kLoginReplyCapacity) != "OK") {
    Log(kLogError, "Automatic connection to server failed");
    EndSession(socket);
    return 1;
  }
  // Sorts one second earlier, before whatever the automatic backup logs in the same second.
  Log(kLogInfo, "Automatic connection to server", -1);
  SetLoggedIn(true);
  SessionOpened(socket);
  view_.ShowConnectionButton(ConnectionButton::Disconnect);
  RefreshQuota();
  return 0;
}

}  // namespace arkvale
