// Where a restore into a folder puts each file, and how a stored copy compares with its original.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "client/transfer/CompareResult.h"
#include "client/transfer/RestoreFolder.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {
namespace {

// U+F03A, the Windows form of a ':' in a host name.
const std::string kColon = "\xEF\x80\xBA";

class RestoreElsewhereTest : public ::testing::Test {
 protected:
  void Write(const std::string& windowsPath, const std::string& content, std::time_t when) {
    TempWorld::WriteHostFile(*plat::ToHostPath(windowsPath), content);
    ASSERT_EQ(plat::SetModificationTime(windowsPath, when), 0);
  }
  // The stored copy brought back is read through a descriptor, as the run holds it.
  static CompareResult Compare(const IndexEntry& row, const std::string& restored) {
    const int fd = ::open(plat::ToHostPath(restored)->c_str(), O_RDONLY);
    CompareResult result = CompareWithOriginal(row, fd);
    if (fd >= 0) ::close(fd);
    return result;
  }

  TempWorld world;
};

TEST_F(RestoreElsewhereTest, EachDriveGetsItsLetterUnderTheFolderAndNothingLeavesIt) {
  EXPECT_EQ(PathInFolder("D:\\restored", "C:\\Users\\ann\\a.txt"),
            "D:\\restored\\C\\Users\\ann\\a.txt");
  EXPECT_EQ(PathInFolder("D:\\", "z:/home//ann/" + kColon + "b"),
            "D:\\Z\\home\\ann\\" + kColon + "b");
  EXPECT_EQ(PathInFolder("D:\\r", "C:\\root.txt"), "D:\\r\\C\\root.txt");
  for (const char* refused :
       {"C:\\a\\..\\..\\b", "C:\\.\\x", "\\\\server\\share\\x", "a.txt", "C:\\", "C:x.txt"}) {
    EXPECT_FALSE(PathInFolder("D:\\r", refused)) << refused;
  }
}

TEST_F(RestoreElsewhereTest, TypedFoldersTakeTheirWindowsForm) {
  EXPECT_EQ(RestoreFolderOf(world.driveC() + "/restored/new"), "C:\\restored\\new");
  EXPECT_EQ(RestoreFolderOf("c:/restored/./"), "C:\\restored");
  EXPECT_EQ(RestoreFolderOf("/tmp"), "Z:\\tmp");
  Write("C:\\a file", "x", 1);
  for (const char* refused :
       {"", "restored", "\\restored", "Q:\\restored", "C:\\..\\x", "C:\\a file"}) {
    EXPECT_FALSE(RestoreFolderOf(refused)) << refused;
  }
}

TEST_F(RestoreElsewhereTest, EachOutcomeIsFoundAndReported) {
  Write("C:\\stored\\same", "content", 100);
  Write("C:\\stored\\other", "CONTENT", 100);
  Write("C:\\stored\\longer", "content and more", 100);
  Write("C:\\here\\same", "content", 200);
  Write("C:\\here\\edited", "content", 300);
  Write("C:\\here\\grown", "content", 300);
  std::filesystem::create_directories(*plat::ToHostPath("C:\\here\\a directory"));

  const CompareResult same = Compare({"C:\\here\\same", 7, 150}, "C:\\stored\\same");
  EXPECT_EQ(same.outcome, CompareOutcome::Same);
  EXPECT_EQ(CompareLogText(same), "");
  const CompareResult edited = Compare({"C:\\here\\edited", 7, 150}, "C:\\stored\\other");
  EXPECT_EQ(edited.outcome, CompareOutcome::Differs);
  EXPECT_EQ(CompareLogText(edited),
            "Compare: C:\\here\\edited differs from its stored copy (stored: 7 bytes, " +
                CompareTimeText(150) + "; here: 7 bytes, " + CompareTimeText(300) + ")");
  const CompareResult grown = Compare({"C:\\here\\grown", 7, 150}, "C:\\stored\\longer");
  EXPECT_EQ(grown.outcome, CompareOutcome::Differs);
  EXPECT_EQ(grown.storedSize, 16u);
  EXPECT_EQ(grown.localSize, 7u);
  const CompareResult gone = Compare({"C:\\here\\gone", 7, 150}, "C:\\stored\\same");
  EXPECT_EQ(gone.outcome, CompareOutcome::Missing);
  EXPECT_EQ(CompareLogText(gone), "Compare: C:\\here\\gone is missing on this computer");
  EXPECT_EQ(Compare({"C:\\here\\a directory", 7, 150}, "C:\\stored\\same").outcome,
            CompareOutcome::Missing);
  const CompareResult unread = CompareWithOriginal({"C:\\here\\same", 7, 150}, -1);
  EXPECT_EQ(unread.outcome, CompareOutcome::NotCompared);
  EXPECT_EQ(CompareLogText(unread),
            "Compare: C:\\here\\same was not compared: its restored copy could not be read");
  const CompareResult damaged = DamagedResult({"C:\\here\\%2", 7, 150}, "");
  EXPECT_EQ(CompareLogText(damaged),
            "Compare: the stored copy of C:\\here\\%2 could not be decrypted or decompressed "
            "(wrong key or damaged data)");

  EXPECT_EQ(CompareSummary({same, edited, grown, gone, damaged}),
            "1 same, 2 differ, 1 missing, 1 damaged");
  EXPECT_EQ(CompareSummary({unread}), "0 same, 0 differ, 0 missing, 0 damaged, 1 not compared");
  // Nothing on either side was written.
  EXPECT_EQ(plat::StatFile("C:\\here\\edited")->modificationTime, 300);
  EXPECT_EQ(TempWorld::ReadHostFile(*plat::ToHostPath("C:\\here\\edited")), "content");
}

}  // namespace
}  // namespace arkvale::test
