#pragma once
// A backup run in a temporary world: the tools installed, a document with a key, a session whose
// socket a test connects to a server of its choice, and fakes for the dialog and the main window.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "client/document/ArkvaleDoc.h"
#include "client/session/Framing.h"
#include "client/session/Session.h"
#include "client/settings/EventLog.h"
#include "client/transfer/BackupProgress.h"
#include "client/transfer/RunFlags.h"
#include "platform/Files.h"
#include "platform/Install.h"
#include "platform/Paths.h"
#include "platform/Sockets.h"
#include "tests/support/LogRecords.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/ReferenceServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {

// A fake dialog's bar moved to position: it stays within 0 to 100 and highest keeps the top.
inline void Track(std::atomic<int>& now, std::atomic<int>& highest, int position) {
  EXPECT_GE(position, 0);
  EXPECT_LE(position, 100);
  now = position;
  if (position > highest) highest = position;
}

// The Backup dialog's counters and bars as a run leaves them, with the highest bar positions seen.
class FakeBackupDialog : public BackupProgress {
 public:
  uint32_t BytesSelected() const override { return bytesSelected; }
  void SetBytesTransmitted(uint32_t bytes) override { bytesTransmitted = bytes; }
  void SetFilesTransmitted(uint32_t files) override { filesTransmitted = files; }
  void RefreshFields() override { ++refreshes; }
  void SetCompressing(int position) override { Track(compressing, maxCompressing, position); }
  void SetEncrypting(int position) override { Track(encrypting, maxEncrypting, position); }
  void SetTransmission(int position) override { Track(transmission, maxTransmission, position); }
  void DisableStopButton() override { stopDisabled = true; }

  std::atomic<uint32_t> bytesSelected{0};
  std::atomic<uint32_t> bytesTransmitted{0};
  std::atomic<uint32_t> filesTransmitted{0};
  std::atomic<int> refreshes{0};
  std::atomic<int> compressing{0}, encrypting{0}, transmission{0};
  std::atomic<int> maxCompressing{0}, maxEncrypting{0}, maxTransmission{0};
  std::atomic<bool> stopDisabled{false};
};

class BackupFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> installed;
    std::string error;
    ASSERT_TRUE(plat::InstallTools(installed, error)) << error;
    doc = std::make_unique<CArkvaleDoc>(prompt);
    doc->encryptionKey = kKey;
    session = std::make_unique<CSession>(*doc, mainWindow);
    backupInProgress = true;
    scheduleSuspended = false;
  }

  void TearDown() override {
    if (session && session->sessionSocket != -1) plat::SocketClose(session->sessionSocket);
  }

  void ConnectTo(uint16_t port) {
    int socket = plat::SocketCreate();
    ASSERT_GE(socket, 0);
    ASSERT_EQ(plat::SocketConnect(socket, 0x7F000001u, port), 0);
    session->sessionSocket = socket;
  }

  // Starts a reference server with the user ann and logs the session in to it as ann.
  void LogInToReferenceServer(std::unique_ptr<ReferenceServer>& server) {
    server = std::make_unique<ReferenceServer>(world.root() + "/server");
    ASSERT_TRUE(server->running());
    ASSERT_EQ(server->Account({"add-user", "ann", "secret", "100000"}), 0);
    ConnectTo(server->port());
    std::string encrypted;
    ASSERT_GT(session->EncryptCredentials("ann,secret,", encrypted, Owner::None), 0);
    ASSERT_GT(SendBytes(session->sessionSocket, encrypted.data(), encrypted.size()), 0);
    ASSERT_EQ(ReceiveReply(session->sessionSocket, kLoginReplyCapacity), "OK");
  }

  // Starts the scripted server and connects the session to it.
  void Serve(ScriptedServer& server) {
    server.Start();
    ConnectTo(server.port());
  }
  // The run spoke exactly as the script expected.
  static void ExpectScriptFollowed(const ScriptedServer& server) {
    const std::vector<std::string> failures = server.failures();
    EXPECT_TRUE(failures.empty()) << failures.front();
  }

  // Host path of a Windows path of this world.
  static std::string Host(const std::string& windowsPath) {
    return plat::ToHostPath(windowsPath).value_or("");
  }
  static void WriteFile(const std::string& windowsPath, const std::string& content) {
    TempWorld::WriteHostFile(Host(windowsPath), content);
  }
  // The description the run gives of an existing file.
  static std::string InfoOf(const std::string& windowsPath) {
    auto status = plat::StatFile(windowsPath);
    EXPECT_TRUE(status);
    if (!status) return {};
    return windowsPath + "?" + std::to_string(status->size) + "?" +
           std::to_string(static_cast<int32_t>(status->modificationTime));
  }

  std::vector<LogRecord> Log() const { return ParseLogLines(doc->eventLog.ReadAll(4000)); }
  std::vector<std::string> LogMessages() const {
    return LogMessagesOf(doc->eventLog.ReadAll(4000));
  }

  static constexpr const char* kKey = "correct horse battery";

  TempWorld world;
  RecordingPrompt prompt;
  RecordingSessionView mainWindow;
  FakeBackupDialog dialog;
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CSession> session;
};

}  // namespace arkvale::test
