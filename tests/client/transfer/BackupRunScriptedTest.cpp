// The backup dialogue against a server that answers exactly as scripted.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "client/selection/BackupSetFile.h"
#include "client/session/ChildTools.h"
#include "client/settings/InstallPaths.h"
#include "client/transfer/BackupRun.h"
#include "tests/client/transfer/BackupFixture.h"
#include "tests/support/ScriptedServer.h"

namespace arkvale::test {
namespace {

using BackupRunScriptedTest = BackupFixture;

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

void ExpectRunOver() {
  EXPECT_FALSE(backupInProgress);
  EXPECT_FALSE(scheduleSuspended);
  EXPECT_FALSE(plat::FileExists("C:\\my_lock_file"));
}

TEST_F(BackupRunScriptedTest, EmptySelectionSendsZeroAndReportsSuccess) {
  ScriptedServer server;
  server.Expect("BACKUP")
      .Send("HOW_MANY_FILES")
      .Expect("0")
      .Expect("SEND_QUOTA_DATA")
      .Send("1000:4000");
  Serve(server);
  // As an earlier run in the same dialog left them.
  dialog.filesTransmitted = 3;
  dialog.bytesTransmitted = 7;
  EXPECT_EQ(RunBackup(*doc, *session, dialog, {}), 0);
  ExpectScriptFollowed(server);
  EXPECT_EQ(dialog.filesTransmitted, 0u);
  EXPECT_EQ(dialog.bytesTransmitted, 0u);
  auto log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().message, "All files in session transferred succesfully");
  EXPECT_EQ(log.back().level, 0);
  auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "All files in session transferred succesfully");
  EXPECT_EQ(boxes[0].icon, Icon::Information);
  EXPECT_EQ(boxes[0].caption, kCaption);
  EXPECT_EQ(boxes[0].owner, Owner::None);
  auto quotas = mainWindow.quotas();
  ASSERT_EQ(quotas.size(), 1u);
  EXPECT_EQ(quotas[0].used, "    1.00 MB ");
  EXPECT_EQ(quotas[0].percent, "25");
  EXPECT_TRUE(dialog.stopDisabled);
  ExpectRunOver();
}

TEST_F(BackupRunScriptedTest, VanishedFileIsOfferedWithSizeAndTimeZero) {
  ScriptedServer server;
  server.Expect("BACKUP")
      .Send("HOW_MANY_FILES")
      .Expect("1")
      .Send("SEND_ME_FILE_INFO")
      .Expect("C:\\gone.txt?0?0")
      .Send("NOT_NEEDED")
      .Expect("SEND_QUOTA_DATA")
      .Send("1:2");
  Serve(server);
  SelectionSnapshot selection;
  selection.chosenFiles.push_back({"C:\\gone.txt", "C:\\", "gone.txt", 7});
  EXPECT_EQ(RunBackup(*doc, *session, dialog, selection), 0);
  ExpectScriptFollowed(server);
  auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "File not found:\nC:\\gone.txt");
  EXPECT_EQ(boxes[0].icon, Icon::Warning);
  EXPECT_EQ(boxes[1].text,
            "Actual number of files transfered in session (0) differs from number of files "
            "chosen (1)\nPlease check the log file");
  EXPECT_EQ(boxes[1].icon, Icon::Warning);
  auto messages = LogMessages();
  EXPECT_TRUE(Contains(messages, "File not found: C:\\gone.txt"));
  EXPECT_TRUE(Contains(messages,
                       "File: C:\\gone.txt   size=0  File not transfered because a later or "
                       "equivalent copy exists on the backup server or zero size file"));
  auto log = Log();
  EXPECT_EQ(log.back().level, 1);
  EXPECT_EQ(log.back().message,
            "Actual number of files transfered in session (0) differs from number of files "
            "chosen (1)");
  ExpectRunOver();
}

TEST_F(BackupRunScriptedTest, StopBeforeTheFirstFileSendsStopBackup) {
  WriteFile("C:\\data\\a.txt", "a");
  WriteFile("C:\\data\\b.txt", "b");
  ScriptedServer server;
  server.Expect("BACKUP")
      .StaySilent(500)
      .Send("HOW_MANY_FILES")
      .Expect("2")
      .Send("SEND_ME_FILE_INFO")
      .Expect("STOP_BACKUP")
      .Expect("SEND_QUOTA_DATA")
      .Send("1:2");
  Serve(server);
  SelectionSnapshot selection;
  selection.chosenDirectories.push_back({"C:\\data"});
  // The run removes an old stop file when it starts, so the button is pressed once it is under way.
  auto run =
      std::async(std::launch::async, [&] { return RunBackup(*doc, *session, dialog, selection); });
  for (int i = 0; i < 200 && server.received().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  WriteFile(kBackupStopFile, "");
  EXPECT_EQ(run.get(), 0);
  ExpectScriptFollowed(server);
  EXPECT_FALSE(plat::FileExists(kBackupStopFile));
  EXPECT_EQ(prompt.texts().back(),
            "Actual number of files transfered in session (0) differs from number of files "
            "chosen (2)\nPlease check the log file");
  ExpectRunOver();
}

TEST_F(BackupRunScriptedTest, QuotaFailureOnTheThirdOfFiveEndsTheLoop) {
  for (char c = 'a'; c <= 'e'; ++c) {
    WriteFile(std::string("C:\\five\\") + c + ".txt", std::string(200, c));
  }
  ScriptedServer server;
  server.Expect("BACKUP").Send("HOW_MANY_FILES").Expect("5");
  for (int i = 0; i < 3; ++i) {
    server.Send("SEND_ME_FILE_INFO").ReceiveAny().Send("SEND_FILE").ReceiveAny();
    server.Send("BEGIN_TO_SEND_THE_FILE").ReceiveAny();
    server.Send(i < 2 ? "FILE_TRANSFER_SUCCESS" : "FILE_TRANSFER_FAILURE");
  }
  server.Expect("SEND_QUOTA_DATA").Send("1:2");
  Serve(server);
  SelectionSnapshot selection;
  selection.chosenDirectories.push_back({"C:\\five"});
  EXPECT_EQ(RunBackup(*doc, *session, dialog, selection), 0);
  ExpectScriptFollowed(server);
  EXPECT_EQ(dialog.filesTransmitted, 2u);
  EXPECT_GT(dialog.bytesTransmitted, 0u);
  EXPECT_EQ(dialog.transmission, 0);
  auto texts = prompt.texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "File transfer failed check your quota");
  EXPECT_EQ(texts[1],
            "Actual number of files transfered in session (2) differs from number of files "
            "chosen (5)\nPlease check the log file");
  auto log = Log();
  int successes = 0;
  for (const auto& l : log) {
    if (l.message.ends_with("  File transfered sucessfully")) ++successes;
  }
  EXPECT_EQ(successes, 2);
  ASSERT_GE(log.size(), 2u);
  EXPECT_TRUE(
      log[log.size() - 2].message.ends_with("  File not transfered sucessfully; Check your quota"));
  EXPECT_EQ(log[log.size() - 2].level, 2);
  // The summary sorts after everything else written in its second.
  EXPECT_GT(log.back().sortKey, log[log.size() - 2].sortKey);
  EXPECT_FALSE(plat::FileExists(kBackupTempCpt));
  ExpectRunOver();
}

// One file, described by info, is asked for and announced as "0": nothing of it was sent.
void ExpectOneFileAnnouncedAsZero(ScriptedServer& server, const std::string& info) {
  server.Expect("BACKUP")
      .Send("HOW_MANY_FILES")
      .Expect("1")
      .Send("SEND_ME_FILE_INFO")
      .Expect(info)
      .Send("SEND_FILE")
      .Expect("0")
      .Expect("SEND_QUOTA_DATA")
      .Send("1:2");
}

TEST_F(BackupRunScriptedTest, MissingEncryptedFileIsAnnouncedAsZero) {
  WriteFile("C:\\data\\a.txt", "some data");
  plat::RemoveFile(std::string(kInstallDirectory) + kCcryptName);
  ScriptedServer server;
  ExpectOneFileAnnouncedAsZero(server, InfoOf("C:\\data\\a.txt"));
  Serve(server);
  SelectionSnapshot selection;
  selection.chosenFiles.push_back({"C:\\data\\a.txt", "C:\\data", "a.txt", 9});
  EXPECT_EQ(RunBackup(*doc, *session, dialog, selection), 0);
  ExpectScriptFollowed(server);
  auto texts = prompt.texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "Error on spawn");
  EXPECT_EQ(texts[1], "Encrypted file not found:\nC:\\temp_filexyz555.gz.cpt");
  EXPECT_TRUE(Contains(LogMessages(), "Encrypted file not found: C:\\temp_filexyz555.gz.cpt"));
  EXPECT_FALSE(plat::FileExists(kBackupTempFile));
  EXPECT_FALSE(plat::FileExists(kBackupTempGz));
  ExpectRunOver();
}

// The pipes this process holds and whether any descriptor is on a backup temporary file.
std::pair<int, bool> PipesAndTemporaries() {
  int pipes = 0;
  bool temporary = false;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    if (target.starts_with("pipe:")) ++pipes;
    if (target.find("temp_filexyz555") != std::string::npos) temporary = true;
  }
  return {pipes, temporary};
}

class FailingToolTest : public BackupFixture, public ::testing::WithParamInterface<const char*> {};

// A tool that writes some output and then fails: what it wrote must never be announced or sent.
TEST_P(FailingToolTest, LeavesNothingSentAndTheFileNotBackedUp) {
  const std::string tool = Host(std::string(kInstallDirectory) + GetParam());
  std::filesystem::remove(tool);
  WriteFile(std::string(kInstallDirectory) + GetParam(),
            "#!/bin/sh\nhead -c 5000 /dev/zero\nexit 1\n");
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  WriteFile("C:\\data\\a.txt", "some data");
  ScriptedServer server;
  ExpectOneFileAnnouncedAsZero(server, InfoOf("C:\\data\\a.txt"));
  Serve(server);
  const auto before = PipesAndTemporaries();
  SelectionSnapshot selection;
  selection.chosenFiles.push_back({"C:\\data\\a.txt", "C:\\data", "a.txt", 9});
  EXPECT_EQ(RunBackup(*doc, *session, dialog, selection), 0);
  ExpectScriptFollowed(server);
  EXPECT_EQ(prompt.texts(),
            (std::vector<std::string>{
                "Encrypted file not found:\nC:\\temp_filexyz555.gz.cpt",
                "Actual number of files transfered in session (0) differs from number of files "
                "chosen (1)\nPlease check the log file"}));
  for (const char* temp : {kBackupTempFile, kBackupTempGz, kBackupTempCpt}) {
    EXPECT_FALSE(plat::FileExists(temp)) << temp;
  }
  EXPECT_EQ(PipesAndTemporaries(), before);
  ExpectRunOver();
}

INSTANTIATE_TEST_SUITE_P(EitherTool, FailingToolTest, ::testing::Values(kGzipName, kCcryptName));

TEST_F(BackupRunScriptedTest, ALostConnectionEndsTheRunAtOnce) {
  WriteFile("C:\\data\\a.txt", "a");
  WriteFile("C:\\data\\b.txt", "b");
  ScriptedServer server;
  server.Expect("BACKUP")
      .Send("HOW_MANY_FILES")
      .Expect("2")
      .Send("SEND_ME_FILE_INFO")
      .ReceiveAny()
      .Close();
  Serve(server);
  SelectionSnapshot selection;
  selection.chosenDirectories.push_back({"C:\\data"});
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(RunBackup(*doc, *session, dialog, selection), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{"Lost connection to server during backup"});
  auto log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().message, "Lost connection to server during backup");
  EXPECT_EQ(log.back().level, 2);
  EXPECT_TRUE(dialog.stopDisabled);
  ExpectRunOver();
}

TEST_F(BackupRunScriptedTest, NoAnswerToBackupEndsBeforeTheLoop) {
  ScriptedServer server;
  server.Expect("BACKUP").Send("HOW_MANY");
  Serve(server);
  EXPECT_EQ(RunBackup(*doc, *session, dialog, {}), 1);
  EXPECT_EQ(server.received(), "BACKUP");
  EXPECT_EQ(prompt.texts(),
            std::vector<std::string>{"Cannot proceed with the backup, check the connection"});
  EXPECT_EQ(LogMessages().back(), "Could not proceed with the backup, check the connection");
  ExpectRunOver();
}

TEST_F(BackupRunScriptedTest, BusyLockRefusesTheManualRun) {
  WriteFile("C:\\my_lock_file", "");
  EXPECT_EQ(RunBackup(*doc, *session, dialog, {}), 1);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{"Failed to get lock during backup request"});
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::Error);
  EXPECT_EQ(Log().back().level, 1);
  EXPECT_FALSE(backupInProgress);
  EXPECT_TRUE(plat::FileExists("C:\\my_lock_file"));
}

TEST_F(BackupRunScriptedTest, AutomaticRunOffersEveryFileOfTheSetOnce) {
  WriteFile("C:\\data\\z.txt", "z");
  WriteFile("C:\\data\\sub\\y.txt", "y");
  WriteFile("C:\\data2\\x.txt", "x");
  WriteFile("C:\\set.bak",
            "1\nC:\\data\n3\nC:\\data2\\x.txt\nC:\\data\\sub\\y.txt\nC:\\data\\z.txt\n");
  ScriptedServer server;
  server.Expect("BACKUP").Send("HOW_MANY_FILES").Expect("3");
  for (const char* path : {"C:\\data\\z.txt", "C:\\data2\\x.txt", "C:\\data\\sub\\y.txt"}) {
    server.Send("SEND_ME_FILE_INFO").Expect(InfoOf(path)).Send("NO");
  }
  server.Expect("SEND_QUOTA_DATA").Send("1:2");
  Serve(server);
  backupInProgress = false;
  scheduleSuspended = true;
  EXPECT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 0);
  ExpectScriptFollowed(server);
  EXPECT_FALSE(scheduleSuspended);
  auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  // The server holds all three already: nothing is missing.
  EXPECT_EQ(boxes[0].text,
            "Finished automatic backup, All files in session transferred succesfully");
  EXPECT_EQ(Log().back().message, "Automatic backup: All files in session transferred succesfully");
  EXPECT_FALSE(plat::FileExists("C:\\my_lock_file"));
}

TEST_F(BackupRunScriptedTest, AutomaticRunCountsEveryRefusalAgainstTheSummary) {
  WriteFile("C:\\data\\a.txt", "a");
  WriteFile("C:\\data\\b.txt", "b");
  WriteFile("C:\\data\\c.txt", "c");
  WriteFile("C:\\set.bak", "1\nC:\\data\n");
  ScriptedServer server;
  server.Expect("BACKUP").Send("HOW_MANY_FILES").Expect("3");
  // Each refusal is followed at once by the server's next request.
  server.Send("SEND_ME_FILE_INFO").ReceiveAny().Send("BAD_FILE_INFO");
  server.Send("SEND_ME_FILE_INFO").ReceiveAny().Send("SEND_FILE").ReceiveAny().Send("BAD_SIZE");
  server.Send("SEND_ME_FILE_INFO").ReceiveAny().Send("SEND_FILE").ReceiveAny();
  server.Send("BEGIN_TO_SEND_THE_FILE").ReceiveAny().Send("FILE_TRANSFER_ERROR");
  server.Expect("SEND_QUOTA_DATA").Send("1:2");
  Serve(server);
  EXPECT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 0);
  ExpectScriptFollowed(server);
  std::vector<std::string> refusals;
  for (const auto& entry : Log()) {
    auto at = entry.message.find("  File not backed up, the server refused it: ");
    if (at == std::string::npos) continue;
    EXPECT_EQ(entry.level, 1);
    EXPECT_TRUE(entry.message.starts_with("File: C:\\data\\")) << entry.message;
    refusals.push_back(entry.message.substr(entry.message.rfind(' ') + 1));
  }
  EXPECT_EQ(refusals,
            (std::vector<std::string>{"BAD_FILE_INFO", "BAD_SIZE", "FILE_TRANSFER_ERROR"}));
  EXPECT_EQ(Log().back().message,
            "Automatic backup: Actual number of files transfered in session (0) differs from "
            "number of files chosen (3)");
}

TEST_F(BackupRunScriptedTest, AutomaticRunOfADamagedSetSaysSo) {
  WriteFile("C:\\data\\a.txt", "");
  WriteFile("C:\\set.bak", "1\nC:\\data\n");
  ScriptedServer server;
  server.Expect("BACKUP").Send("HOW_MANY_FILES").Expect("1").Send("SEND_ME_FILE_INFO");
  server.Expect(InfoOf("C:\\data\\a.txt")).Send("NO").Expect("SEND_QUOTA_DATA").Send("1:2");
  Serve(server);
  EXPECT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 0);
  ExpectScriptFollowed(server);
  auto log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front().message, "Error reading number of files");
  EXPECT_EQ(log.front().level, 1);
}

TEST_F(BackupRunScriptedTest, AutomaticRunThatCannotStartAsksForARetry) {
  const std::string lastBackup = std::string(kInstallDirectory) + kLastBackupName;
  WriteFile(lastBackup, "1700000000");
  WriteFile("C:\\my_lock_file", "");
  EXPECT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 1);
  EXPECT_EQ(Log().back().message,
            "m_lock was not free, i.e. communications being used by another thread");
  EXPECT_EQ(Log().back().level, 2);
  EXPECT_EQ(TempWorld::ReadHostFile(Host(lastBackup)), "100");
  EXPECT_TRUE(prompt.boxes().empty());

  // Without a session the run connects by itself; without a configuration that fails.
  plat::RemoveFile("C:\\my_lock_file");
  WriteFile(lastBackup, "1700000000");
  EXPECT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 1);
  EXPECT_EQ(TempWorld::ReadHostFile(Host(lastBackup)), "100");
  EXPECT_FALSE(plat::FileExists("C:\\my_lock_file"));

  // A session the server no longer answers on: nothing was sent, so the next check retries.
  ScriptedServer server;
  server.Expect("BACKUP").Send("HOW_MANY");
  Serve(server);
  WriteFile(lastBackup, "1700000000");
  WriteFile("C:\\set.bak", "0\n");
  EXPECT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 1);
  EXPECT_EQ(Log().back().message,
            "Could not proceed with the automatic backup, check the connection");
  EXPECT_EQ(TempWorld::ReadHostFile(Host(lastBackup)), "100");
  EXPECT_FALSE(plat::FileExists("C:\\my_lock_file"));

  WriteFile(lastBackup, "1700000000");
  plat::SocketClose(session->sessionSocket);
  session->sessionSocket = plat::SocketCreate();
  EXPECT_EQ(RunAutomaticBackup(*doc, *session, "C:\\absent.bak"), 1);
  EXPECT_EQ(Log().back().message, "Error opening backup set during automatic backup");
  EXPECT_EQ(TempWorld::ReadHostFile(Host(lastBackup)), "100");
  EXPECT_FALSE(plat::FileExists("C:\\my_lock_file"));
}

}  // namespace
}  // namespace arkvale::test
