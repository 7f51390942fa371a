#include <gtest/gtest.h>

#include "client/selection/BackupSetFile.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

struct LogEntry {
  int level;
  std::string text;
};

class BackupSetFileTest : public ::testing::Test {
 protected:
  test::TempWorld world;
  test::RecordingPrompt prompt;
  std::vector<LogEntry> logged;
  LogWriter log = [this](int level, const std::string& text) { logged.push_back({level, text}); };

  std::string C(const std::string& rel) { return world.driveC() + "/" + rel; }
  void WriteSet(const std::string& content) {
    test::TempWorld::WriteHostFile(C("set.bak"), content);
  }
  LoadOutcome Load(CSelection& s) {
    return LoadBackupSet(s, "C:\\set.bak", prompt, log, [] {});
  }
};

TEST_F(BackupSetFileTest, SavedSetReadsBackAsTheSameSelection) {
  test::TempWorld::WriteHostFile(C("data/a.txt"), "abcd");
  CSelection s;
  s.chosenDirectories = {{"C:\\"}, {"C:\\mail"}};
  s.ToggleChosenFile("C:\\data", "a.txt");
  s.chosenFiles.push_back({"C:\\notes.txt", "C:\\", "notes.txt", 0});
  ASSERT_TRUE(SaveBackupSet(s, "C:\\set.bak", prompt, log));
  EXPECT_EQ(test::TempWorld::ReadHostFile(C("set.bak")),
            "2\nC:\\\nC:\\mail\n2\nC:\\data\\a.txt\nC:\\notes.txt\n");

  CSelection loaded;
  loaded.chosenDirectories = {{"C:\\old"}};
  ASSERT_EQ(Load(loaded), LoadOutcome::Loaded);
  ASSERT_EQ(loaded.chosenDirectories.size(), 2u);
  EXPECT_EQ(loaded.chosenDirectories[0].path, "C:\\");
  EXPECT_EQ(loaded.chosenDirectories[1].path, "C:\\mail");
  ASSERT_EQ(loaded.chosenFiles.size(), 2u);
  EXPECT_EQ(loaded.chosenFiles[0].fullPath, "C:\\data\\a.txt");
  // A record from a set keeps the backslash that ends its directory part.
  EXPECT_EQ(loaded.chosenFiles[0].directory, "C:\\data\\");
  EXPECT_EQ(loaded.chosenFiles[0].name, "a.txt");
  EXPECT_EQ(loaded.chosenFiles[0].size, 4);
  EXPECT_EQ(loaded.chosenFiles[1].size, 0);
  EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(BackupSetFileTest, OneSidedSetsAndWindowsLineEnds) {
  CSelection dirsOnly;
  dirsOnly.chosenDirectories = {{"C:\\mail"}};
  EXPECT_EQ(FormatBackupSet(dirsOnly.chosenDirectories, dirsOnly.chosenFiles), "1\nC:\\mail\n0\n");

  WriteSet("0\r\n1\r\nC:\\notes.txt\r\n");
  CSelection s;
  ASSERT_EQ(Load(s), LoadOutcome::Loaded);
  EXPECT_TRUE(s.chosenDirectories.empty());
  ASSERT_EQ(s.chosenFiles.size(), 1u);
  EXPECT_EQ(s.chosenFiles[0].fullPath, "C:\\notes.txt");

  // Counts that are no number, or negative, read no lines of their section.
  WriteSet("x\n-3\n");
  ASSERT_EQ(Load(s), LoadOutcome::Loaded);
  EXPECT_TRUE(s.NothingChosen());
}

TEST_F(BackupSetFileTest, EachMissingLineHasItsMessageAndKeepsWhatWasRead) {
  struct Case {
    std::string content;
    std::string message;
    std::size_t directories;
    std::size_t files;
  };
  const Case cases[] = {
      {"", "Error reading number of directories", 0, 0},
      {"2\nC:\\a\n", "Error reading name of directory", 1, 0},
      {"1\nC:\\a\n", "Error reading number of files", 1, 0},
      {"1\nC:\\a\n3\nC:\\f.txt\n", "Error reading name of file", 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    WriteSet(c.content);
    test::RecordingPrompt boxes;
    CSelection s;
    EXPECT_EQ(LoadBackupSet(s, "C:\\set.bak", boxes, log, [] {}), LoadOutcome::Stopped);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, c.message);
    EXPECT_EQ(boxes.boxes()[0].caption, kApplicationTitle);
    EXPECT_EQ(boxes.boxes()[0].icon, Icon::None);
    EXPECT_EQ(s.chosenDirectories.size(), c.directories);
    EXPECT_EQ(s.chosenFiles.size(), c.files);
  }
  EXPECT_TRUE(logged.empty());
}

TEST_F(BackupSetFileTest, FinalLineWithoutNewlineKeepsItsLastCharacter) {
  WriteSet("0\n1\nC:\\notes.txt");
  auto contents = ReadBackupSetFile("C:\\set.bak");
  ASSERT_TRUE(contents);
  EXPECT_EQ(contents->files, (std::vector<std::string>{"C:\\notes.txt"}));
  EXPECT_EQ(contents->error, BackupSetError::None);
  EXPECT_FALSE(ReadBackupSetFile("C:\\absent.bak"));
}

TEST_F(BackupSetFileTest, LoadTellsTheViewsInOrderAndResetsTheTreeBetween) {
  struct View : SelectionObserver {
    std::vector<std::string>* events;
    void OnSelectionUpdate(const SelectionHint& hint) override {
      events->push_back(hint.kind == SelectionHint::Kind::Directory ? "dir:" + hint.directory
                                                                    : "refresh");
    }
  };
  std::vector<std::string> events;
  View view;
  view.events = &events;
  CSelection s;
  s.currentDirectory = "C:\\data";
  s.chosenFiles.push_back({"C:\\x", "C:\\", "x", 1});
  s.AddObserver(&view);
  WriteSet("1\nC:\\mail\n0\n");
  LoadBackupSet(s, "C:\\set.bak", prompt, log, [&] {
    EXPECT_TRUE(s.NothingChosen());
    events.push_back("reset");
  });
  EXPECT_EQ(events, (std::vector<std::string>{"dir:C:\\data", "reset", "refresh", "refresh"}));

  events.clear();
  WriteSet("1\n");
  LoadBackupSet(s, "C:\\set.bak", prompt, log, [&] { events.push_back("reset"); });
  EXPECT_EQ(events, (std::vector<std::string>{"dir:C:\\data", "reset", "refresh"}));
}

TEST_F(BackupSetFileTest, UnopenableFilesAreReportedAndChangeNothing) {
  CSelection s;
  s.chosenDirectories = {{"C:\\mail"}};
  EXPECT_EQ(LoadBackupSet(s, "C:\\absent.bak", prompt, log, [] { FAIL(); }),
            LoadOutcome::NotOpened);
  EXPECT_FALSE(SaveBackupSet(s, "C:\\no such dir\\set.bak", prompt, log));
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0].level, 2);
  EXPECT_EQ(logged[0].text, "Error opening C:\\absent.bak for reading");
  EXPECT_EQ(logged[1].text, "Error opening C:\\no such dir\\set.bak for writing");
  auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, logged[1].text);
  EXPECT_EQ(boxes[1].caption, kCaption);
  EXPECT_EQ(boxes[1].icon, Icon::Error);
  EXPECT_EQ(s.chosenDirectories.size(), 1u);
}

TEST_F(BackupSetFileTest, NothingChosenIsReportedOnce) {
  CSelection s;
  EXPECT_TRUE(ReportNothingChosen(s, prompt, Owner::MainWindow));
  s.chosenDirectories = {{"C:\\mail"}};
  EXPECT_FALSE(ReportNothingChosen(s, prompt, Owner::MainWindow));
  EXPECT_EQ(prompt.texts(),
            (std::vector<std::string>{"No files or directories chosen for backup"}));
}

}  // namespace
}  // namespace arkvale
