// The restore dialogue against a server that answers exactly as scripted.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Paths.h"
#include "tests/client/transfer/RestoreFixture.h"
#include "tests/support/ScriptedServer.h"

namespace arkvale::test {
namespace {

class RestoreRunScriptedTest : public RestoreFixture {
 protected:
  // content as the server stores it: compressed, then encrypted under the user's key.
  std::string StoredForm(const std::string& content) {
    const std::string plain = world.root() + "/stored";
    TempWorld::WriteHostFile(plain, content);
    const std::string command = "gzip -9 -f '" + plain + "' && ccrypt -e -f -K '" +
                                std::string(kKey) + "' '" + plain + ".gz'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return TempWorld::ReadHostFile(plain + ".gz.cpt");
  }

  // Hangs up as the client and waits for the script to take in the run's last words.
  void HangUp(ScriptedServer& server) {
    plat::SocketClose(session->sessionSocket);
    session->sessionSocket = -1;
    ASSERT_TRUE(server.WaitFinished());
    ExpectScriptFollowed(server);
  }
};

TEST_F(RestoreRunScriptedTest, RunsThatCannotBeginEndWithoutAFileExchange) {
  ScriptedServer server;
  server.Expect("RESTORE").Close();
  Serve(server);

  // Nothing ticked: nothing sent, nothing shown.
  WriteFile(kRestoreStopFile, "");
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, {}), 1);
  EXPECT_FALSE(restoreInProgress);
  EXPECT_FALSE(plat::FileExists(kRestoreStopFile));

  // The lock is taken.
  WriteFile("C:\\my_lock_file", "");
  restoreInProgress = true;
  const std::vector<IndexEntry> rows = {{"C:\\a", 1, 0}, {"C:\\b", 2, 0}, {"C:\\c", 3, 0}};
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 1);
  EXPECT_FALSE(restoreInProgress);
  plat::RemoveFile("C:\\my_lock_file");

  // The server has no answer to "RESTORE".
  restoreInProgress = true;
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 1);
  HangUp(server);
  EXPECT_EQ(server.received(), "RESTORE");
  auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Failed to get lock during restore request");
  EXPECT_EQ(boxes[0].icon, Icon::Warning);
  EXPECT_EQ(boxes[1].text, "Cannot proceed with the restore, check the connection");
  EXPECT_EQ(boxes[1].icon, Icon::Error);
  EXPECT_EQ(LogMessages(),
            (std::vector<std::string>{"Failed to get lock during restore request",
                                      "Could not proceed with the restore, check the connection"}));
  EXPECT_FALSE(restoreDialog.stopDisabled);
  ExpectRunOver();
}

TEST_F(RestoreRunScriptedTest, UnreachableDriveIsSkippedAndEmptyDataIsNotRestored) {
  ScriptedServer server;
  server.Expect("RESTORE")
      .Send("OK")
      .Expect("2")
      .Send("OK")
      .Expect("c:\\missing\\x.txt")
      .Send("120")
      .Expect("DO_NOT_SEND_FILE")
      .Expect("C:\\zero.txt")
      .Send("0")
      .Expect("SEND_FILE")
      .Expect("OK");
  Serve(server);
  WriteFile("C:\\zero.txt", "mine");
  prompt.QueueAnswer(true);
  prompt.QueueAnswer(false);

  const std::vector<IndexEntry> rows = {{"c:\\missing\\x.txt", 120, 0}, {"C:\\zero.txt", 9, 0}};
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  HangUp(server);
  EXPECT_EQ(prompt.texts(),
            (std::vector<std::string>{"Error changing to drive during restore operation",
                                      "C:\\zero.txt\nFile exists!\n Do you want to overwrite it?",
                                      kSlowDecryption,
                                      "Files not restored because of an error: 1\nPlease check "
                                      "the log file",
                                      "Restore operation completed"}));
  EXPECT_EQ(Read("C:\\zero.txt"), "mine");
  EXPECT_FALSE(plat::FileExists("C:\\missing"));
  EXPECT_EQ(restoreDialog.maxTransmission, 0);
  ExpectRunOver();
}

TEST_F(RestoreRunScriptedTest, BytesBeyondTheAnnouncedSizeAreLeftForTheNextExchange) {
  const std::string first = "the restored text\n" + std::string(3000, 'r');
  const std::string second = "second";
  const std::string stored = StoredForm(first);
  const std::string storedSecond = StoredForm(second);
  // The second size comes early, right behind the first file's data.
  ScriptedServer server;
  server.Expect("RESTORE")
      .Send("OK")
      .Expect("2")
      .Send("OK")
      .Expect("C:\\new\\dir\\file.txt")
      .Send(std::to_string(stored.size()))
      .Expect("SEND_FILE")
      .Send(stored + std::to_string(storedSecond.size()))
      .Expect("OK")
      .Expect("C:\\second.txt")
      .Expect("SEND_FILE")
      .Send(storedSecond)
      .Expect("OK");
  Serve(server);
  const std::string before = plat::GetCurrentDirectory();

  const std::vector<IndexEntry> rows = {
      {"C:\\new\\dir\\file.txt", static_cast<int32_t>(first.size()), 1234567890},
      {"C:\\second.txt", 6, 1234567890}};
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  HangUp(server);
  EXPECT_EQ(Read("C:\\new\\dir\\file.txt"), first);
  EXPECT_EQ(Read("C:\\second.txt"), second);
  EXPECT_EQ(plat::StatFile("C:\\new\\dir\\file.txt")->modificationTime, 1234567890);
  EXPECT_EQ(plat::GetCurrentDirectory(), before);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{"Restore operation completed"});
  ExpectRunOver();
}

TEST_F(RestoreRunScriptedTest, ConnectionDroppedInTheMiddleOfAFileEndsTheRunInOrder) {
  ScriptedServer server;
  server.Expect("RESTORE")
      .Send("OK")
      .Expect("2")
      .Send("OK")
      .Expect("C:\\docs\\a.txt")
      .Send("5000")
      .Expect("SEND_FILE")
      .Send(std::string(1500, 'd'))
      .Close();
  Serve(server);
  WriteFile("C:\\docs\\a.txt", "mine");

  const std::vector<IndexEntry> rows = {{"C:\\docs\\a.txt", 4000, 0}, {"C:\\docs\\b.txt", 1, 0}};
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 1);
  HangUp(server);
  EXPECT_EQ(Read("C:\\docs\\a.txt"), "mine");
  EXPECT_FALSE(plat::FileExists("C:\\docs\\b.txt"));
  auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "Lost connection to server during restore");
  EXPECT_EQ(boxes[1].icon, Icon::Error);
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"Lost connection to server during restore"});
  EXPECT_TRUE(restoreDialog.stopDisabled);
  EXPECT_EQ(restoreDialog.transmission, 0);
  ExpectRunOver();
}

TEST_F(RestoreRunScriptedTest, DirectoryOrSpecialFileInTheTargetsPlaceIsLeftAlone) {
  ScriptedServer server;
  server.Expect("RESTORE")
      .Send("OK")
      .Expect("2")
      .Send("OK")
      .Expect("C:\\adir")
      .Send("5")
      .Expect("DO_NOT_SEND_FILE")
      .Expect("C:\\pipe")
      .Send("5")
      .Expect("DO_NOT_SEND_FILE");
  Serve(server);
  ASSERT_EQ(plat::MakeDirectory("C:\\adir"), 0);
  WriteFile("C:\\adir\\inner.txt", "kept");
  ASSERT_EQ(::mkfifo(Host("C:\\pipe").c_str(), 0600), 0);

  const std::vector<IndexEntry> rows = {{"C:\\adir", 5, 0}, {"C:\\pipe", 5, 0}};
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  HangUp(server);
  EXPECT_EQ(prompt.texts(),
            (std::vector<std::string>{
                "Files not restored because of an error: 2\nPlease check the log file",
                "Restore operation completed"}));
  EXPECT_EQ(Read("C:\\adir\\inner.txt"), "kept");
  struct stat st {};
  ASSERT_EQ(::stat(Host("C:\\pipe").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ExpectRunOver();
}

TEST_F(RestoreRunScriptedTest, FailuresNameTheirFilesAndAreCountedBeforeALostConnection) {
  ScriptedServer server;
  server.Expect("RESTORE")
      .Send("OK")
      .Expect("4")
      .Send("OK")
      .Expect("c:\\missing\\x.txt")
      .Send("5")
      .Expect("DO_NOT_SEND_FILE")
      .Expect("C:\\plain.txt\\sub\\y.txt")
      .Send("5")
      .Expect("DO_NOT_SEND_FILE")
      .Expect("C:\\made\\..\\..\\z.txt")
      .Send("5")
      .Expect("DO_NOT_SEND_FILE")
      .Expect("C:\\last.txt")
      .Close();
  Serve(server);
  WriteFile("C:\\plain.txt", "a file, not a directory");

  const std::vector<IndexEntry> rows = {{"c:\\missing\\x.txt", 5, 0},
                                        {"C:\\plain.txt\\sub\\y.txt", 5, 0},
                                        {"C:\\made\\..\\..\\z.txt", 5, 0},
                                        {"C:\\last.txt", 5, 0}};
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 1);
  HangUp(server);
  // A path climbing out of its drive is refused before any directory on its way is made.
  EXPECT_FALSE(plat::FileExists("C:\\made"));
  const auto messages = LogMessages();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[0], "Error changing to drive during restore operation: c:\\missing\\x.txt");
  EXPECT_EQ(messages[1],
            "Error making directory during restore operation: C:\\plain.txt\\sub\\y.txt");
  EXPECT_EQ(messages[2],
            "File C:\\made\\..\\..\\z.txt was not restored: its path leads outside its drive");
  EXPECT_EQ(prompt.texts(),
            (std::vector<std::string>{
                "Error changing to drive during restore operation",
                "Files not restored because of an error: 3\nPlease check the log file",
                "Lost connection to server during restore"}));
  ExpectRunOver();
}

TEST_F(RestoreRunScriptedTest, LinksInTheTargetsPlaceAndLongNamesAreReplacedWhole) {
  const std::string longName = "C:\\" + std::string(250, 'n');
  const std::vector<IndexEntry> rows = {
      {longName, 4, 0}, {"C:\\link.txt", 4, 0}, {"C:\\dangling.txt", 4, 0}};
  const std::string stored = StoredForm("restored");
  ScriptedServer server;
  server.Expect("RESTORE").Send("OK").Expect("3").Send("OK");
  for (const IndexEntry& row : rows) {
    server.Expect(row.name)
        .Send(std::to_string(stored.size()))
        .Expect("SEND_FILE")
        .Send(stored)
        .Expect("OK");
  }
  Serve(server);
  WriteFile("C:\\outside.txt", "linked file");
  std::filesystem::create_symlink(Host("C:\\outside.txt"), Host("C:\\link.txt"));
  std::filesystem::create_symlink(world.root() + "/nowhere", Host("C:\\dangling.txt"));
  prompt.QueueAnswer(true);
  prompt.QueueAnswer(true);

  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  HangUp(server);
  EXPECT_EQ(prompt.texts(), (std::vector<std::string>{
                                "C:\\link.txt\nFile exists!\n Do you want to overwrite it?",
                                "C:\\dangling.txt\nFile exists!\n Do you want to overwrite it?",
                                "Restore operation completed"}));
  for (const IndexEntry& row : rows) {
    EXPECT_FALSE(std::filesystem::is_symlink(Host(row.name))) << row.name;
    EXPECT_EQ(Read(row.name), "restored") << row.name;
  }
  EXPECT_EQ(Read("C:\\outside.txt"), "linked file");
  EXPECT_FALSE(std::filesystem::exists(world.root() + "/nowhere"));
  ExpectRunOver();
}

}  // namespace
}  // namespace arkvale::test
