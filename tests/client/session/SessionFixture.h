#pragma once
// A session in a temporary world: the tools installed, a configuration file, a document whose log
// runs on a fixed clock, a recording prompt and view.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "client/session/Session.h"
#include "client/settings/ConfigFile.h"
#include "client/settings/InstallPaths.h"
#include "client/shell/ArkvaleDoc.h"
#include "platform/Files.h"
#include "platform/Install.h"
#include "platform/Paths.h"
#include "platform/Sockets.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {

inline constexpr std::time_t kFixedNow = 1700000000;

struct LogEntry {
  int level;
  std::string message;
  unsigned long sortKey;
  bool operator==(const LogEntry&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const LogEntry& e) {
  return out << "(" << e.level << ", \"" << e.message << "\", " << e.sortKey << ")";
}

inline std::string HostPath(const std::string& windowsPath) {
  return plat::ToHostPath(windowsPath).value_or("");
}

class SessionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("ARKVALE_BUILD_DIR");
    std::string error;
    ASSERT_TRUE(plat::InstallPrograms(std::string(build ? build : ".") + "/bin", error)) << error;
    WriteConfig("ann", "secret", "filekey", "backup");
    MakeSession();
  }

  void MakeSession() {
    session.reset();
    doc.reset();
    doc = std::make_unique<CArkvaleDoc>(prompt, [] { return kFixedNow; });
    session = std::make_unique<CSession>(*doc, view);
  }

  static void WriteConfig(const std::string& user, const std::string& password,
                          const std::string& key, const std::string& server) {
    ConfigSettings settings;
    settings.userName = user;
    settings.password = password;
    settings.encryptionKey = key;
    settings.serverName = server;
    ASSERT_TRUE(plat::WriteFileAtomically(ConfigFilePath(kInstallDirectory),
                                          FormatConfigFile(settings), 0600));
  }

  std::vector<LogEntry> Log() const {
    std::vector<LogEntry> entries;
    for (std::string line : doc->eventLog.ReadAll(2000).value_or(std::vector<std::string>{})) {
      if (!line.empty() && line.back() == '\n') line.pop_back();
      std::size_t a = line.find('\t');
      std::size_t b = line.find('\t', a + 1);
      std::size_t c = line.rfind('\t');
      entries.push_back({std::stoi(line.substr(a + 1, b - a - 1)), line.substr(b + 1, c - b - 1),
                         std::stoul(line.substr(c + 1))});
    }
    return entries;
  }

  static LogEntry Entry(int level, const std::string& message, int bonus = 0) {
    return {level, message, static_cast<unsigned long>(kFixedNow + bonus)};
  }

  TempWorld world;
  RecordingPrompt prompt;
  RecordingSessionView view;
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CSession> session;
};

}  // namespace arkvale::test
