#pragma once
// The document of the main program: one instance for the life of the process. It holds the
// installation directory, the settings read at start-up, the day's event log and the logged-in
// byte, the selection of the next backup, and the prompt through which the logic below it
// reports.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "client/selection/Selection.h"
#include "client/settings/ConfigFile.h"
#include "client/settings/EventLog.h"
#include "client/settings/FieldString.h"
#include "client/settings/Prompt.h"

namespace arkvale {

class CArkvaleDoc : public CSelection {
 public:
  // Loads the settings (defaults, silently, when the file cannot be read), then opens the log.
  explicit CArkvaleDoc(Prompt& prompt, EventLog::Clock clock = nullptr);
  CArkvaleDoc(const CArkvaleDoc&) = delete;
  CArkvaleDoc& operator=(const CArkvaleDoc&) = delete;

  // Writes one event-log entry; level 0 information, 1 warning, 2 error.
  void Log(int level, const std::string& text, int32_t orderBonus = 0) {
    eventLog.Write(level, text, orderBonus);
  }

  // Takes over what the classic configuration dialog saved: key, account, server name and the two
  // window flags; the log count stays as read at start-up. User-interface thread; the settings
  // are replaced under the lock that EncryptionKey takes.
  void ApplySavedSettings(const ConfigSettings& saved);

  // The key as a run on a worker thread takes it: the dialog may replace it meanwhile.
  std::string EncryptionKey() const;

  Prompt& prompt() const { return *prompt_; }

  const std::string installDirectory;

  // The settings: read and written on the user-interface thread.
  FieldString<100> userName;
  FieldString<100> password;
  std::string encryptionKey;
  FieldString<kLongestServerName + 1> serverName;
  int logFilesToKeep = 5;
  int trayIcon = 1;
  int minimizedWindow = 0;

  EventLog eventLog;
  std::atomic<uint8_t> loggedIn{0};

 private:
  void LoadSettings();

  mutable std::mutex settingsMutex_;
  Prompt* prompt_;
};

}  // namespace arkvale
