#pragma once
// A session in a temporary world: the tools installed, a configuration file, a document whose log
// runs on a fixed clock, a recording prompt and view.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/CredentialsKey.h"
#include "client/session/Session.h"
#include "client/settings/ConfigFile.h"
#include "client/settings/InstallPaths.h"
#include "client/document/ArkvaleDoc.h"
#include "platform/Files.h"
#include "platform/Install.h"
#include "platform/Paths.h"
#include "platform/Sockets.h"
#include "tests/support/LogRecords.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {

inline constexpr std::time_t kFixedNow = 1700000000;

using LogEntry = LogRecord;

inline std::string HostPath(const std::string& windowsPath) {
  return plat::ToHostPath(windowsPath).value_or("");
}

// The plain text of encrypted credentials, through the host's encryptor; dir holds its files.
inline std::string DecryptCredentials(const std::string& encrypted, const std::string& dir) {
  char key[kCredentialsKeyLength + 1];
  AssembleCredentialsKey(key);
  std::ofstream(dir + "/key") << key;
  std::ofstream(dir + "/blob.cpt", std::ios::binary) << encrypted;
  std::string command = "ccrypt -d -f -k '" + dir + "/key' '" + dir + "/blob.cpt'";
  if (std::system(command.c_str()) != 0) return "<ccrypt failed>";
  return TempWorld::ReadHostFile(dir + "/blob");
}

class SessionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> installed;
    std::string error;
    ASSERT_TRUE(plat::InstallTools(installed, error)) << error;
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

  std::vector<LogEntry> Log() const { return ParseLogLines(doc->eventLog.ReadAll(2000)); }

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
