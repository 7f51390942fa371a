#include "client/session/Session.h"

#include <chrono>
#include <thread>

#include "client/document/ArkvaleDoc.h"
#include "client/session/Framing.h"
#include "client/settings/EventLog.h"
#include "platform/Sockets.h"

namespace arkvale {

namespace {
// The server gets a moment to read "DISCONNECT" before the connection goes.
constexpr auto kDisconnectDelay = std::chrono::milliseconds(1000);
}  // namespace

std::string ServerHostName(const std::string& serverName) {
  return serverName + ARKVALE_DOMAIN_SUFFIX;
}

std::optional<std::string> CredentialsText(const std::string& user, const std::string& password) {
  std::string text = user + "," + password + ",";
  // A NUL would end the text early; the buffer keeps one byte for the terminating zero.
  if (text.size() >= kCredentialsTextCapacity || text.find('\0') != std::string::npos) {
    return std::nullopt;
  }
  return text;
}

CSession::CSession(CArkvaleDoc& doc, SessionView& view) : doc_(doc), view_(view) {}

CSession::~CSession() = default;

void CSession::Log(int level, const std::string& text, int32_t orderBonus) {
  doc_.Log(level, text, orderBonus);
}

void CSession::Show(const std::string& text, Icon icon, Owner owner, const std::string& caption) {
  doc_.prompt().ShowMessage(text, caption, icon, owner);
}

void CSession::SetLoggedIn(bool loggedIn) { doc_.loggedIn = loggedIn ? 1 : 0; }

bool CSession::BeginSession(int socket) {
  std::lock_guard guard(openingMutex_);
  int none = -1;
  if (!sessionSocket.compare_exchange_strong(none, socket)) return false;
  openingSocket_ = socket;
  return true;
}

void CSession::SessionOpened(int socket) {
  std::lock_guard guard(openingMutex_);
  if (openingSocket_ == socket) openingSocket_ = -1;
}

int CSession::LoggedInSocket() const {
  std::lock_guard guard(openingMutex_);
  const int socket = sessionSocket;
  return socket == openingSocket_ ? -1 : socket;
}

void CSession::EndSession(int socket) {
  if (socket == -1) return;
  std::lock_guard guard(openingMutex_);
  if (openingSocket_ == socket) openingSocket_ = -1;
  // Whoever takes the socket out of the session closes it, once. A socket another path ended
  // meanwhile is left alone: its number may already belong to a new file or session.
  int expected = socket;
  if (sessionSocket.compare_exchange_strong(expected, -1)) plat::SocketClose(socket);
}

void CSession::Connect() {
  if (sessionSocket != -1) {
    Show("Already connected", Icon::Information, Owner::MainWindow);
    return;
  }
  const std::string serverName = doc_.serverName.str();
  if (serverName.empty()) {
    Show("Fill in the backup server name in the configuration dialog", Icon::Information,
         Owner::MainWindow);
    return;
  }
  const std::string hostName = ServerHostName(serverName);
  std::optional<uint32_t> address = plat::LookupHost(hostName);
  if (!address) {
    Log(kLogError, "Received an error while looking for " + hostName + " server");
    Show("Error running gethostbyname", Icon::Error, Owner::MainWindow);
    return;
  }
  int socket = plat::SocketCreate();
  if (socket < 0) {
    Log(kLogError, "Failed to open socket");
    Show("Failed to open socket", Icon::Error, Owner::MainWindow);
    return;
  }
  if (!BeginSession(socket)) {
    // An automatic connection on a worker thread got there first.
    plat::SocketClose(socket);
    Show("Already connected", Icon::Information, Owner::MainWindow);
    return;
  }
  if (plat::SocketConnect(socket, *address, serverPort) != 0) {
    Log(kLogError, "Error on connect");
    // Closed before the box, whose event loop lets the keep-alive timer run.
    EndSession(socket);
    Show("Error on connect", Icon::Error, Owner::MainWindow);
    return;
  }
  int lock = AcquireCommsLock();
  if (lock == -1) {
    Log(kLogWarning, "Failed to get lock during connect request");
    // A connection that never logged in is of no use to anyone.
    EndSession(socket);
    Show("Failed to get lock during connect request", Icon::Warning, Owner::MainWindow);
    return;
  }

  bool cancelled = false;
  bool accepted = false;
  for (int attempt = 0; attempt < kLoginAttempts; ++attempt) {
    std::optional<LoginCredentials> typed =
        view_.RunLoginDialog(doc_.userName.str(), doc_.password.str());
    if (!typed) {
      SetLoggedIn(false);
      cancelled = true;
      break;
    }
    std::optional<std::string> text = CredentialsText(typed->user, typed->password);
    std::string encrypted;
    if (!text || EncryptCredentials(*text, encrypted) == -1) {
      SetLoggedIn(false);
      Log(kLogError, "Error encrypting user and password");
      Show("Error encrypting user and password", Icon::Error, Owner::MainWindow);
      break;
    }
    SendBytes(socket, encrypted.data(), encrypted.size());
    if (ReceiveReply(socket, kLoginReplyCapacity) == "OK") {
      Log(kLogInfo, "Connected to server");
      Show("Logged in successfully", Icon::Information, Owner::MainWindow);
      SetLoggedIn(true);
      accepted = true;
      break;
    }
    SetLoggedIn(false);
    Log(kLogInfo, "Error in user or password");
    Show("Error in user or password try again", Icon::Warning, Owner::MainWindow);
  }

  if (accepted) {
    SessionOpened(socket);
    RefreshQuota();
    ReleaseCommsLock(lock);
    view_.ShowConnectionButton(ConnectionButton::Disconnect);
    return;
  }
  if (!cancelled) Log(kLogInfo, "Failed to connect  to server");
  EndSession(socket);
  view_.ShowConnectionButton(ConnectionButton::Connect);
  ReleaseCommsLock(lock);
}

void CSession::Disconnect() {
  int lock = AcquireCommsLock();
  if (lock == -1) {
    Log(kLogWarning, "Failed to get lock during disconnect request");
    Show("Failed to get lock during disconnect request", Icon::Information, Owner::MainWindow);
    return;
  }
  int socket = sessionSocket;
  if (socket != -1) {
    SendWord(socket, "DISCONNECT");
    std::this_thread::sleep_for(kDisconnectDelay);
    EndSession(socket);
    // Ended on purpose: the next keep-alive must not report it as lost.
    connectionAlive = false;
    Log(kLogInfo, "Disconnected from backup server");
    SetLoggedIn(false);
  }
  view_.ShowConnectionButton(ConnectionButton::Connect);
  ReleaseCommsLock(lock);
}

void CSession::KeepAlive() {
  int lock = AcquireCommsLock();
  if (lock == -1) return;
  int socket = sessionSocket;
  SendWord(socket, "PING", kKeepAliveTimeoutMs);
  if (ReceiveReply(socket, kReplyCapacity, kKeepAliveTimeoutMs) == "GOT_YOUR_PING") {
    view_.ShowConnectionButton(ConnectionButton::Disconnect);
    connectionAlive = true;
  } else {
    view_.ShowConnectionButton(ConnectionButton::Connect);
    EndSession(socket);
    if (connectionAlive.exchange(false)) Log(kLogError, "Lost connection to server");
  }
  ReleaseCommsLock(lock);
}

}  // namespace arkvale
