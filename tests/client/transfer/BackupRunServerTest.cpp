// Backups to the reference server with the real compressor and encryptor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "client/selection/Selection.h"
#include "client/session/ChildTools.h"
#include "client/session/Framing.h"
#include "client/transfer/BackupRun.h"
#include "server/Server.h"
#include "server/SqliteCatalog.h"
#include "tests/client/transfer/BackupFixture.h"
#include "tests/support/ReferenceServer.h"

namespace fs = std::filesystem;

namespace arkvale::test {
namespace {

class BackupRunServerTest : public BackupFixture {
 protected:
  void SetUp() override {
    BackupFixture::SetUp();
    if (HasFatalFailure()) return;
    LogInToReferenceServer(server);
  }

  // The stored copies on the server.
  std::vector<std::string> StoredObjects() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(server->dataDirectory() + "/objects")) {
      if (e.path().extension() != ".part") out.push_back(e.path().string());
    }
    return out;
  }

  static std::string RandomBytes(std::size_t n) {
    std::mt19937 gen(42);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen());
    return s;
  }

  std::unique_ptr<ReferenceServer> server;
};

TEST_F(BackupRunServerTest, EmptySelectionRefreshesTheQuotaAndSucceeds) {
  EXPECT_EQ(RunBackup(*doc, *session, dialog, {}), 0);
  EXPECT_EQ(prompt.texts(),
            std::vector<std::string>{"All files in session transferred succesfully"});
  EXPECT_EQ(mainWindow.quotas().size(), 1u);
  EXPECT_FALSE(backupInProgress);
}

TEST_F(BackupRunServerTest, StoredDataDecryptsAndDecompressesToTheOriginal) {
  const std::string original = RandomBytes(12345) + std::string(20000, 'a');
  WriteFile("C:\\docs\\report.bin", original);
  SelectionSnapshot selection;
  selection.chosenFiles.push_back({"C:\\docs\\report.bin", "C:\\docs", "report.bin", 0});
  dialog.bytesSelected = static_cast<uint32_t>(original.size());
  ASSERT_EQ(RunBackup(*doc, *session, dialog, selection), 0);
  EXPECT_EQ(dialog.filesTransmitted, 1u);
  EXPECT_GT(dialog.maxTransmission, 0);
  EXPECT_EQ(dialog.compressing, 0);
  EXPECT_EQ(dialog.encrypting, 0);

  auto objects = StoredObjects();
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(fs::file_size(objects[0]), dialog.bytesTransmitted.load());
  const std::string work = world.root() + "/proof";
  fs::create_directories(work);
  fs::copy_file(objects[0], work + "/stored.gz.cpt");
  const std::string decrypt = "ccrypt -d -f -K '" + std::string(kKey) + "' '" + work +
                              "/stored.gz.cpt' && gzip -d '" + work + "/stored.gz'";
  ASSERT_EQ(std::system(decrypt.c_str()), 0);
  EXPECT_EQ(TempWorld::ReadHostFile(work + "/stored"), original);
  for (const char* temp : {kBackupTempFile, kBackupTempGz, kBackupTempCpt}) {
    EXPECT_FALSE(plat::FileExists(temp)) << temp;
  }
}

TEST_F(BackupRunServerTest, TreeBackupLogsEachFileThenTheSummaryLast) {
  WriteFile("C:\\tree\\a.txt", "alpha");
  WriteFile("C:\\tree\\b.bin", RandomBytes(3000));
  WriteFile("C:\\tree\\sub\\c.txt", std::string(5000, 'c'));
  WriteFile("C:\\tree\\empty.txt", "");
  CSelection selection;
  selection.ChooseDirectoryTree("C:\\tree");
  ASSERT_EQ(RunBackup(*doc, *session, dialog, selection.Snapshot()), 0);

  auto log = Log();
  ASSERT_EQ(log.size(), 5u);
  std::vector<std::string> fileLines;
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(log[i].level, 0) << log[i].message;
    fileLines.push_back(log[i].message);
  }
  std::sort(fileLines.begin(), fileLines.end());
  EXPECT_EQ(fileLines, (std::vector<std::string>{
                           "File: C:\\tree\\a.txt   size=5  File transfered sucessfully",
                           "File: C:\\tree\\b.bin   size=3000  File transfered sucessfully",
                           "File: C:\\tree\\empty.txt   size=0  File not transfered because a "
                           "later or equivalent copy exists on the backup server or zero size "
                           "file",
                           "File: C:\\tree\\sub\\c.txt   size=5000  File transfered sucessfully",
                       }));
  // The walk records the deepest directory first, so its file is offered first.
  EXPECT_EQ(log[0].message, "File: C:\\tree\\sub\\c.txt   size=5000  File transfered sucessfully");
  // The empty file is one the server holds already: nothing is missing.
  EXPECT_EQ(log[4].message, "All files in session transferred succesfully");
  for (std::size_t i = 0; i < 4; ++i) EXPECT_GT(log[4].sortKey, log[i].sortKey);
  EXPECT_EQ(dialog.filesTransmitted, 3u);

  // Offered again, nothing is needed.
  ASSERT_EQ(RunBackup(*doc, *session, dialog, selection.Snapshot()), 0);
  log = Log();
  ASSERT_EQ(log.size(), 10u);
  for (std::size_t i = 5; i < 9; ++i) {
    EXPECT_TRUE(log[i].message.ends_with(
        "  File not transfered because a later or equivalent copy exists on the backup server or "
        "zero size file"))
        << log[i].message;
  }
  EXPECT_EQ(log[9].message, "All files in session transferred succesfully");
  EXPECT_EQ(prompt.boxes().back().icon, Icon::Information);
}

TEST_F(BackupRunServerTest, CompleteRunEndsWithTheSuccessEntrySortedLast) {
  WriteFile("C:\\tree\\a.txt", "alpha");
  WriteFile("C:\\tree\\b.txt", "beta");
  CSelection selection;
  selection.ChooseDirectoryTree("C:\\tree");
  ASSERT_EQ(RunBackup(*doc, *session, dialog, selection.Snapshot()), 0);
  auto log = Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_TRUE(log[0].message.ends_with("  File transfered sucessfully"));
  EXPECT_TRUE(log[1].message.ends_with("  File transfered sucessfully"));
  EXPECT_EQ(log[2].message, "All files in session transferred succesfully");
  EXPECT_EQ(log[2].level, 0);
  auto sorted = log;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const LogRecord& a, const LogRecord& b) { return a.sortKey < b.sortKey; });
  EXPECT_EQ(sorted.back().message, "All files in session transferred succesfully");
  EXPECT_EQ(prompt.boxes().back().icon, Icon::Information);
}

TEST_F(BackupRunServerTest, AutomaticRunStoresEveryFileOfTheSet) {
  WriteFile("C:\\data\\z.txt", "z");
  WriteFile("C:\\data\\sub\\y.txt", "y");
  WriteFile("C:\\data2\\x.txt", "x");
  WriteFile("C:\\set.bak", "1\nC:\\data\n2\nC:\\data2\\x.txt\nC:\\data\\sub\\y.txt\n");
  backupInProgress = false;
  ASSERT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 0);
  EXPECT_EQ(StoredObjects().size(), 3u);
  EXPECT_EQ(Log().back().message, "Automatic backup: All files in session transferred succesfully");
  auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Finished automatic backup, All files in session transferred succesfully");
  EXPECT_EQ(boxes[0].icon, Icon::None);

  // Nothing changed: the server holds every file, which is no shortfall either.
  ASSERT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 0);
  EXPECT_EQ(Log().back().message, "Automatic backup: All files in session transferred succesfully");
}

TEST_F(BackupRunServerTest, NamesWithCharactersWindowsForbidsAreAllSentUnderOneNameEach) {
  const std::string tree = world.driveC() + "/notes";
  const std::vector<std::string> hostNames = {"Meeting 10:30.txt", "what?.txt", "plain.txt",
                                              "at 10:30/agenda <draft>.txt"};
  for (const auto& name : hostNames) TempWorld::WriteHostFile(tree + "/" + name, name);
  CSelection selection;
  selection.ChooseDirectoryTree("C:\\notes");
  ASSERT_EQ(RunBackup(*doc, *session, dialog, selection.Snapshot()), 0);
  EXPECT_EQ(prompt.texts().back(), "All files in session transferred succesfully");
  EXPECT_EQ(dialog.filesTransmitted, hostNames.size());

  std::vector<std::string> stored;
  server::SqliteCatalog catalog(server::CatalogPathIn(server->dataDirectory()));
  for (const auto& file : catalog.Files("ann")) {
    EXPECT_EQ(file.path.find_first_of("?:", 2), std::string::npos) << file.path;
    stored.push_back(*plat::ToHostPath(file.path));
  }
  std::vector<std::string> expected;
  for (const auto& name : hostNames) expected.push_back(tree + "/" + name);
  std::sort(stored.begin(), stored.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(stored, expected);
}

TEST_F(BackupRunServerTest, AFileWhoseNameCannotBeCarriedIsLoggedAndSpoilsTheSummary) {
  const std::string odd = world.driveC() + "/odd/x\xef\x80\xbay.txt";
  TempWorld::WriteHostFile(odd, "x");
  WriteFile("C:\\odd\\fine.txt", "fine");
  CSelection selection;
  selection.ChooseDirectoryTree("C:\\odd");
  ASSERT_EQ(RunBackup(*doc, *session, dialog, selection.Snapshot()), 0);
  auto log = Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].message, "File not backed up, its name cannot be carried: " + odd);
  EXPECT_EQ(log[0].level, 1);
  EXPECT_EQ(log[2].message,
            "Actual number of files transfered in session (1) differs from number of files "
            "chosen (2)");
  EXPECT_EQ(prompt.boxes().back().icon, Icon::Warning);
}

}  // namespace
}  // namespace arkvale::test
