#pragma once
// The session with the backup server: the one socket, the communications lock, the login with
// encrypted credentials, the quota query, the keep-alive, the disconnect and the automatic
// connection. Plain logic; the main window owns one instance and implements SessionView.
//
// Threads: Connect, Disconnect and KeepAlive run on the user-interface thread. AcquireCommsLock,
// ReleaseCommsLock, EncryptCredentials, RefreshQuota and ConnectAutomatically may also run on
// worker threads (backup, restore, delete and index runs, the automatic backup), which use
// sessionSocket only while they hold the communications lock.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "client/session/SessionView.h"
#include "client/settings/Prompt.h"

namespace arkvale {

class CArkvaleDoc;

inline constexpr const char* kCommsLockPath = "C:\\my_lock_file";
inline constexpr const char* kScheduleLockPath = "C:\\my_sched_lock_file";

inline constexpr uint16_t kServerPort = 5555;
// The credentials text is built in a zeroed buffer of this size (user + "," + password + ",").
inline constexpr std::size_t kCredentialsTextCapacity = 200;
inline constexpr std::size_t kEncryptedCredentialsCapacity = 300;
inline constexpr int kLoginAttempts = 3;

// Removes both lock files; the main window calls it at start-up, so that a lock left behind by a
// crash does not block the next run.
void RemoveStaleLocks();

// Server name as configured + the service's domain suffix.
std::string ServerHostName(const std::string& serverName);

// user + "," + password + ","; nullopt when it does not fit the credentials buffer.
std::optional<std::string> CredentialsText(const std::string& user, const std::string& password);

struct QuotaTexts {
  std::string used;
  std::string limit;
  std::string percent;
};

// The three pane texts for a quota reply "used:limit" (kilobytes), or nullopt for a reply that
// cannot be shown (no colon, a figure longer than 11 characters).
std::optional<QuotaTexts> FormatQuota(const std::string& reply);

class CSession {
 public:
  // Reports through the document's log and prompt and through the view.
  CSession(CArkvaleDoc& doc, SessionView& view);
  ~CSession();
  CSession(const CSession&) = delete;
  CSession& operator=(const CSession&) = delete;

  // The connected socket, -1 when there is no session.
  std::atomic<int> sessionSocket{-1};
  // Set by a keep-alive that got its answer, cleared when a loss is logged.
  std::atomic<bool> connectionAlive{false};
  // The service listens on kServerPort; tests point the session at a server of their own.
  uint16_t serverPort = kServerPort;

  // A lock handle, or -1 when the lock is busy (silently) or cannot be taken (reported).
  // One attempt per call.
  int AcquireCommsLock();
  void ReleaseCommsLock(int handle);

  // Encrypts the credentials text with the built-in key through the encryptor. The number of
  // encrypted bytes placed in out (at most kEncryptedCredentialsCapacity), or -1. A text that
  // does not fit the credentials buffer is refused (-1) without touching any file; the caller
  // reports it. owner: the window that owns the boxes (None on worker threads).
  int EncryptCredentials(const std::string& text, std::string& out,
                         Owner owner = Owner::MainWindow);

  // The Connect and Disconnect commands (user-interface thread; boxes owned by the main window).
  void Connect();
  void Disconnect();
  // One tick of the keep-alive timer.
  void KeepAlive();
  // The quota query on the open session; the caller holds the communications lock.
  void RefreshQuota();
  QuotaTexts quotaTexts() const;

  // Connects and logs in without dialogs from the configuration file; 0 on success, non-zero on
  // failure. Does not take the communications lock: the automatic backup run calls it holding it.
  // A session already open, or being opened by the Connect command (whose login dialog lets the
  // start-up timer run), is kept: 0 without a second connection.
  int ConnectAutomatically();

  // The session socket when its login has been answered with "OK"; -1 when there is none or it
  // is still being opened (a worker must not start an exchange on it then).
  int LoggedInSocket() const;

  // Starts the background lookup of hostName, then waits for it up to 4 x 1000 ms. The first
  // IPv4 address, or nullopt when the lookup failed or had not returned in time (logged).
  void StartHostLookup(const std::string& hostName);
  std::optional<uint32_t> WaitForHostLookup();

 private:
  struct Lookup;

  void Log(int level, const std::string& text, int32_t orderBonus = 0);
  void Show(const std::string& text, Icon icon, Owner owner, const std::string& caption = kCaption);
  void SetLoggedIn(bool loggedIn);
  // Makes socket the session unless one is open already (or being opened): false then, and the
  // caller closes its socket, so that no connection is left without an owner.
  bool BeginSession(int socket);
  // Closes socket if sessionSocket still holds it, clearing sessionSocket; otherwise nothing.
  void EndSession(int socket);
  // The login on socket was accepted: it is no longer being opened.
  void SessionOpened(int socket);

  CArkvaleDoc& doc_;
  SessionView& view_;
  // Guards the socket being opened together with its publication in sessionSocket.
  mutable std::mutex openingMutex_;
  int openingSocket_ = -1;
  mutable std::mutex quotaMutex_;
  QuotaTexts quota_;
  std::mutex lookupMutex_;
  std::shared_ptr<Lookup> lookup_;
};

}  // namespace arkvale
