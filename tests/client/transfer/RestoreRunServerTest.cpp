// Restores from the reference server of files the backup run stored there, with the real
// compressor and encryptor.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "client/selection/Selection.h"
#include "client/session/Framing.h"
#include "client/transfer/BackupRun.h"
#include "client/transfer/RestoreFolder.h"
#include "client/transfer/RestoreMode.h"
#include "platform/Paths.h"
#include "tests/client/transfer/RestoreFixture.h"
#include "tests/support/ReferenceServer.h"

namespace fs = std::filesystem;

namespace arkvale::test {
namespace {

constexpr std::time_t kBackedUpTime = 1500000000;

// Reads each restored file back and lets it go, as a comparison with the originals would.
class ReadingDestination : public RestoreDestination {
 public:
  std::optional<plat::HostPath> Prepare(const IndexEntry& row, RestoreFailures&) override {
    return plat::Resolve(row.name);
  }
  void Finish(const IndexEntry& row, const plat::HostPath&, plat::Replacement& restored,
              RestoreFailures&) override {
    std::string& content = contents[row.name];
    char buffer[65536];
    ssize_t n;
    while ((n = ::pread(restored.fd(), buffer, sizeof buffer, static_cast<off_t>(content.size()))) >
           0) {
      content.append(buffer, static_cast<std::size_t>(n));
    }
  }
  std::map<std::string, std::string> contents;
};

class RestoreRunServerTest : public RestoreFixture {
 protected:
  void SetUp() override {
    RestoreFixture::SetUp();
    if (HasFatalFailure()) return;
    LogInToReferenceServer(server);
  }

  // Writes the files with a time in the past, stores them on the server and gives their rows.
  std::vector<IndexEntry> BackUp(const std::vector<std::pair<std::string, std::string>>& files) {
    SelectionSnapshot selection;
    for (const auto& [path, content] : files) {
      WriteFile(path, content);
      EXPECT_EQ(plat::SetModificationTime(path, kBackedUpTime), 0);
      selection.chosenFiles.push_back({path, "", "", 0});
    }
    backupInProgress = true;
    EXPECT_EQ(RunBackup(*doc, *session, dialog, selection), 0);
    std::vector<IndexEntry> rows;
    for (const auto& file : files) rows.push_back(RowOf(file.first));
    return rows;
  }

  // The stored copies on the server, oldest first.
  std::vector<fs::path> StoredObjects() const {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(server->dataDirectory() + "/objects")) {
      out.push_back(e.path());
    }
    std::sort(out.begin(), out.end(), [](const fs::path& a, const fs::path& b) {
      return fs::last_write_time(a) < fs::last_write_time(b);
    });
    return out;
  }

  std::vector<std::string> BoxesAfterBackups() const {
    std::vector<std::string> out;
    for (const auto& text : prompt.texts()) {
      if (text != "All files in session transferred succesfully") out.push_back(text);
    }
    return out;
  }

  static std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen());
    return s;
  }

  static std::string Overwrite(const std::string& path) {
    return path + "\nFile exists!\n Do you want to overwrite it?";
  }

  std::unique_ptr<ReferenceServer> server;
};

TEST_F(RestoreRunServerTest, DeletedFilesComeBackByteForByteWithTheirTimes) {
  const std::string big = RandomBytes(3000000, 1) + std::string(500000, 'x');
  auto rows = BackUp({{"C:\\tree\\big.bin", big},
                      {"C:\\tree\\sub\\deep\\note.txt", "hello\n"},
                      {"C:\\rootfile.txt", "at the root"}});
  fs::remove_all(Host("C:\\tree"));
  fs::remove(Host("C:\\rootfile.txt"));
  const std::string before = plat::GetCurrentDirectory();

  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  EXPECT_EQ(Read("C:\\tree\\big.bin"), big);
  EXPECT_EQ(Read("C:\\tree\\sub\\deep\\note.txt"), "hello\n");
  EXPECT_EQ(Read("C:\\rootfile.txt"), "at the root");
  for (const auto& row : rows) {
    EXPECT_EQ(plat::StatFile(row.name)->modificationTime, kBackedUpTime) << row.name;
  }
  EXPECT_EQ(BoxesAfterBackups(), std::vector<std::string>{"Restore operation completed"});
  EXPECT_EQ(prompt.boxes().back().icon, Icon::Information);
  EXPECT_EQ(LogMessages().back(), "Restore operation completed");
  EXPECT_GT(restoreDialog.maxTransmission, 0);
  EXPECT_EQ(restoreDialog.transmission, 0);
  EXPECT_EQ(restoreDialog.decrypting, 0);
  EXPECT_EQ(restoreDialog.uncompressing, 0);
  EXPECT_TRUE(restoreDialog.stopDisabled);
  EXPECT_EQ(plat::GetCurrentDirectory(), before);
  ExpectRunOver();

  // Restored with the listed times, they are not taken for changed files.
  SelectionSnapshot again;
  for (const auto& row : rows) again.chosenFiles.push_back({row.name, "", "", 0});
  backupInProgress = true;
  dialog.filesTransmitted = 0;
  ASSERT_EQ(RunBackup(*doc, *session, dialog, again), 0);
  EXPECT_EQ(dialog.filesTransmitted, 0u);
}

TEST_F(RestoreRunServerTest, ExistingTargetsAreAskedForAndKeepTheirPermissions) {
  auto rows = BackUp({{"C:\\docs\\a.txt", "backed up A"}, {"C:\\docs\\b.txt", "backed up B"}});
  WriteFile("C:\\docs\\a.txt", "changed A");
  WriteFile("C:\\docs\\b.txt", "changed B");
  fs::permissions(Host("C:\\docs\\a.txt"), fs::perms(0640));
  prompt.QueueAnswer(true);
  prompt.QueueAnswer(false);

  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  EXPECT_EQ(Read("C:\\docs\\a.txt"), "backed up A");
  EXPECT_EQ(plat::StatFile("C:\\docs\\a.txt")->mode, 0640u);
  EXPECT_EQ(Read(kRestoreSafetyCopy), "changed A");
  EXPECT_EQ(Read("C:\\docs\\b.txt"), "changed B");
  EXPECT_EQ(BoxesAfterBackups(),
            (std::vector<std::string>{Overwrite("C:\\docs\\a.txt"), Overwrite("C:\\docs\\b.txt"),
                                      "Restore operation completed"}));
  ExpectRunOver();
}

TEST_F(RestoreRunServerTest, WrongKeyAsksAfterEightyPollsAndNoKeepsTheTarget) {
  auto rows = BackUp({{"C:\\docs\\a.txt", "backed up A"}});
  WriteFile("C:\\docs\\a.txt", "changed A");
  // A finished file of an interrupted run, which must not pass for this file's output.
  WriteFile(kRestoreTempFile, "stale");
  ASSERT_EQ(std::system(("gzip -f '" + Host(kRestoreTempFile) + "' && mv '" + Host(kRestoreTempGz) +
                         "' '" + Host(kRestoreTempFile) + "'")
                            .c_str()),
            0);
  doc->encryptionKey = "not the key";
  prompt.QueueAnswer(true);
  prompt.QueueAnswer(false);

  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  EXPECT_EQ(Read("C:\\docs\\a.txt"), "changed A");
  EXPECT_FALSE(plat::FileExists(kRestoreSafetyCopy));
  EXPECT_EQ(BoxesAfterBackups(),
            (std::vector<std::string>{Overwrite("C:\\docs\\a.txt"), kSlowDecryption,
                                      "Restore operation completed"}));
  EXPECT_EQ(restoreDialog.maxDecrypting, 100);
  auto log = Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2].message, "File was not restored after restore request");
  EXPECT_EQ(log[log.size() - 2].level, 2);
  ExpectRunOver();

  // The server got its "OK": the next run with the right key is in step.
  doc->encryptionKey = kKey;
  restoreInProgress = true;
  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  EXPECT_EQ(Read("C:\\docs\\a.txt"), "backed up A");
}

TEST_F(RestoreRunServerTest, DamagedStoredDataLeavesTheTargetAndTheRunGoesOn) {
  auto rows = BackUp({{"C:\\docs\\bad.bin", RandomBytes(50000, 2)}});
  const fs::path object = StoredObjects().front();
  {
    std::fstream stored(object, std::ios::in | std::ios::out | std::ios::binary);
    stored.seekp(25000);
    stored.put('\x5a');
  }
  rows.push_back(BackUp({{"C:\\docs\\good.txt", "good"}}).front());
  WriteFile("C:\\docs\\bad.bin", "mine");
  fs::remove(Host("C:\\docs\\good.txt"));

  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  EXPECT_EQ(Read("C:\\docs\\bad.bin"), "mine");
  EXPECT_EQ(Read("C:\\docs\\good.txt"), "good");
  EXPECT_EQ(BoxesAfterBackups(),
            (std::vector<std::string>{
                Overwrite("C:\\docs\\bad.bin"),
                "Files not restored because of an error: 1\nPlease check the log file",
                "Restore operation completed"}));
  const auto messages = LogMessages();
  EXPECT_NE(std::find(messages.begin(), messages.end(),
                      "File C:\\docs\\bad.bin was not restored: its data could not be "
                      "decompressed"),
            messages.end());
  ExpectRunOver();
}

TEST_F(RestoreRunServerTest, StopDuringTheSecondOfFiveEndsAfterIt) {
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 1; i <= 5; ++i) {
    files.push_back({"C:\\five\\" + std::to_string(i) + ".txt", "file " + std::to_string(i)});
  }
  auto rows = BackUp(files);
  fs::remove_all(Host("C:\\five"));
  restoreDialog.onDecrypted = [](int count) {
    if (count == 2) WriteFile(kRestoreStopFile, "");
  };

  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows), 0);
  EXPECT_EQ(Read("C:\\five\\1.txt"), "file 1");
  EXPECT_EQ(Read("C:\\five\\2.txt"), "file 2");
  for (const char* gone : {"C:\\five\\3.txt", "C:\\five\\4.txt", "C:\\five\\5.txt"}) {
    EXPECT_FALSE(plat::FileExists(gone)) << gone;
  }
  EXPECT_FALSE(plat::FileExists(kRestoreStopFile));
  EXPECT_EQ(BoxesAfterBackups(), std::vector<std::string>{"Restore operation completed"});
  ExpectRunOver();
}

TEST_F(RestoreRunServerTest, AnotherDestinationGetsTheWholeContentAndTheFileStays) {
  const std::string big = RandomBytes(2000000, 3);
  auto rows = BackUp({{"C:\\docs\\a.txt", "backed up A"}, {"C:\\docs\\big.bin", big}});
  WriteFile("C:\\docs\\a.txt", "changed A");
  ReadingDestination reading;

  EXPECT_EQ(RunRestore(*doc, *session, restoreDialog, rows, &reading), 0);
  EXPECT_EQ(reading.contents["C:\\docs\\a.txt"], "backed up A");
  EXPECT_EQ(reading.contents["C:\\docs\\big.bin"], big);
  EXPECT_EQ(Read("C:\\docs\\a.txt"), "changed A");
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(Host("C:\\docs"))) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "big.bin"}));
  EXPECT_EQ(BoxesAfterBackups(), std::vector<std::string>{"Restore operation completed"});
  ExpectRunOver();
}

TEST_F(RestoreRunServerTest, IntoAFolderEachFileGoesUnderItsDriveAndOriginalsStayAsTheyAre) {
  const std::string colon = "\xEF\x80\xBA";  // a ':' in a host name
  const std::string big = RandomBytes(3 * 1024 * 1024, 3);
  auto rows = BackUp({{"C:\\rootfile.txt", "at the root"},
                      {"C:\\docs\\a" + colon + "b.txt", "colon"},
                      {"C:\\docs\\big.bin", big}});
  // Changed here since: a restore elsewhere neither asks about nor touches them.
  for (const auto& row : rows) {
    WriteFile(row.name, "mine now");
    ASSERT_EQ(plat::SetModificationTime(row.name, kBackedUpTime + 99), 0);
  }
  WriteFile("C:\\out\\C\\rootfile.txt", "was there");
  prompt.QueueAnswer(true);

  EXPECT_EQ(RunRestoreAs(*doc, *session, restoreDialog, rows, RestoreMode::IntoFolder("C:\\out")),
            0);
  EXPECT_EQ(Read("C:\\out\\C\\rootfile.txt"), "at the root");
  EXPECT_EQ(TempWorld::ReadHostFile(Host("C:\\out\\C\\docs") + "/a:b.txt"), "colon");
  EXPECT_EQ(Read("C:\\out\\C\\docs\\big.bin"), big);
  for (const auto& row : rows) {
    const std::string copy = *PathInFolder("C:\\out", row.name);
    EXPECT_EQ(plat::StatFile(copy)->modificationTime, kBackedUpTime) << copy;
    EXPECT_EQ(Read(row.name), "mine now") << row.name;
    EXPECT_EQ(plat::StatFile(row.name)->modificationTime, kBackedUpTime + 99) << row.name;
  }
  EXPECT_EQ(BoxesAfterBackups(), (std::vector<std::string>{Overwrite("C:\\out\\C\\rootfile.txt"),
                                                           "Restore operation completed"}));
  ExpectRunOver();
}

TEST_F(RestoreRunServerTest, CompareFindsSameChangedMissingAndUndecryptableFiles) {
  auto rows = BackUp({{"C:\\cmp\\same.txt", "same"},
                      {"C:\\cmp\\changed.txt", "before"},
                      {"C:\\cmp\\deleted.txt", "deleted"}});
  doc->encryptionKey = "another key";
  rows.push_back(BackUp({{"C:\\cmp\\other key.txt", "other"}}).front());
  doc->encryptionKey = kKey;
  WriteFile("C:\\cmp\\changed.txt", "after!");
  fs::remove(Host("C:\\cmp\\deleted.txt"));

  auto rootEntries = [] {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Host("C:\\"))) names.push_back(e.path().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto rootBefore = rootEntries();

  EXPECT_EQ(RunRestoreAs(*doc, *session, restoreDialog, rows, RestoreMode::Comparing()), 0);
  std::vector<CompareOutcome> outcomes;
  for (const CompareResult& r : restoreDialog.compared) outcomes.push_back(r.outcome);
  EXPECT_EQ(outcomes,
            (std::vector<CompareOutcome>{CompareOutcome::Same, CompareOutcome::Differs,
                                         CompareOutcome::Missing, CompareOutcome::Damaged}));
  EXPECT_EQ(restoreDialog.compared[1].storedSize, 6u);
  EXPECT_EQ(restoreDialog.compared[1].localSize, 6u);
  const std::string summary = "1 same, 1 differ, 1 missing, 1 damaged";
  EXPECT_EQ(restoreDialog.compareSummary, summary);
  EXPECT_EQ(BoxesAfterBackups(), std::vector<std::string>{summary});
  int warnings = 0;
  for (const auto& record : Log()) warnings += record.level == 1;
  EXPECT_EQ(warnings, 3);
  // Nothing was written at any user path.
  EXPECT_EQ(Read("C:\\cmp\\changed.txt"), "after!");
  EXPECT_FALSE(plat::FileExists("C:\\cmp\\deleted.txt"));
  EXPECT_EQ(rootEntries(), rootBefore);
  EXPECT_TRUE(restoreDialog.stopDisabled);
  ExpectRunOver();
}

}  // namespace
}  // namespace arkvale::test
