#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <utility>

#include "platform/Files.h"
#include "tests/support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

using arkvale::test::TempWorld;

unsigned ModeOf(const std::string& hostPath) {
  struct stat st {};
  EXPECT_EQ(stat(hostPath.c_str(), &st), 0) << hostPath;
  return st.st_mode & 0777;
}

std::vector<std::string> Names(const std::string& hostDir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(hostDir)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Files, ExclusiveCreationIsALock) {
  TempWorld world;
  int fd = plat::CreateExclusive("C:\\my_lock_file");
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ModeOf(world.driveC() + "/my_lock_file"), 0600u);
  EXPECT_EQ(plat::CreateExclusive("c:/MY_LOCK_FILE/.."), -1);
  EXPECT_EQ(plat::CreateExclusive("C:\\my_lock_file"), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(plat::CloseDescriptor(fd), 0);
  EXPECT_EQ(plat::CloseDescriptor(fd), -1);
  EXPECT_EQ(plat::RemoveFile("C:\\my_lock_file"), 0);
  fd = plat::CreateExclusive("C:\\my_lock_file");
  EXPECT_GE(fd, 0);
  plat::CloseDescriptor(fd);
  EXPECT_EQ(plat::CreateExclusive("C:\\..\\escape"), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST(Files, StreamsCreateWithTheGivenMode) {
  TempWorld world;
  FILE* f = plat::OpenStream("C:\\secret", "wb", 0600);
  ASSERT_NE(f, nullptr);
  std::fputs("first\n", f);
  std::fclose(f);
  EXPECT_EQ(ModeOf(world.driveC() + "/secret"), 0600u);

  f = plat::OpenStream("C:\\secret", "a", 0600);
  ASSERT_NE(f, nullptr);
  std::fputs("second\n", f);
  std::fclose(f);
  EXPECT_EQ(TempWorld::ReadHostFile(world.driveC() + "/secret"), "first\nsecond\n");

  f = plat::OpenStream("c:/secret", "r");
  ASSERT_NE(f, nullptr);
  char line[32];
  ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
  EXPECT_STREQ(line, "first\n");
  std::fclose(f);

  f = plat::OpenStream("C:\\secret", "w+");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(TempWorld::ReadHostFile(world.driveC() + "/secret"), "");

  f = plat::OpenStream("C:\\plain", "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_EQ(ModeOf(world.driveC() + "/plain") & 0700u, 0600u);

  EXPECT_EQ(plat::OpenStream("C:\\missing", "r"), nullptr);
  EXPECT_EQ(plat::OpenStream("C:\\nodir\\file", "w"), nullptr);
  EXPECT_EQ(plat::OpenStream("C:\\secret", "x"), nullptr);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(plat::OpenStream("C:\\secret", "rw"), nullptr);
}

TEST(Files, ReadingRefusesFifosAndDevices) {
  TempWorld world;
  const std::string fifo = world.driveC() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Without a writer, opening the FIFO for reading would wait for ever.
  auto opened = std::async(std::launch::async, [] {
    FILE* f = plat::OpenStream("C:\\fifo", "r");
    return std::make_pair(f, errno);
  });
  if (opened.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // lets the blocked open return
    ADD_FAILURE() << "opening a FIFO blocked";
    if (FILE* f = opened.get().first) std::fclose(f);
    close(writer);
  } else {
    auto [f, error] = opened.get();
    EXPECT_EQ(f, nullptr);
    EXPECT_EQ(error, EACCES);
  }
  // A device that never ends; Z: is the host's root.
  EXPECT_EQ(plat::OpenStream("Z:\\dev\\zero", "rb"), nullptr);
  EXPECT_EQ(plat::OpenStream("Z:\\dev\\null", "r+"), nullptr);

  TempWorld::WriteHostFile(world.driveC() + "/file", "x");
  for (const char* mode : {"r", "r+"}) {
    FILE* f = plat::OpenStream("C:\\file", mode);
    EXPECT_NE(f, nullptr) << mode;
    if (f != nullptr) std::fclose(f);
  }
}

TEST(Files, ModificationTimeAndPermissionsAreReadAndSet) {
  TempWorld world;
  TempWorld::WriteHostFile(world.driveC() + "/a", "x");
  fs::permissions(world.driveC() + "/a", fs::perms(0640));
  ASSERT_EQ(plat::SetModificationTime("C:\\a", 1234567890), 0);
  EXPECT_EQ(plat::StatFile("C:\\a")->modificationTime, 1234567890);
  EXPECT_EQ(plat::StatFile("C:\\a")->mode, 0640u);
  EXPECT_EQ(plat::SetModificationTime("C:\\none", 1), -1);
}

TEST(Files, StatRenameRemove) {
  TempWorld world;
  TempWorld::WriteHostFile(world.driveC() + "/a", "12345");
  fs::create_directory(world.driveC() + "/dir");
  std::optional<plat::FileStatus> status = plat::StatFile("C:\\a");
  ASSERT_TRUE(status);
  EXPECT_FALSE(status->isDirectory);
  EXPECT_EQ(status->size, 5u);
  EXPECT_NEAR(static_cast<double>(status->modificationTime), static_cast<double>(time(nullptr)),
              5.0);
  ASSERT_TRUE(plat::StatFile("C:\\dir"));
  EXPECT_TRUE(plat::StatFile("C:\\dir")->isDirectory);
  EXPECT_FALSE(plat::StatFile("C:\\none"));
  EXPECT_TRUE(plat::FileExists("C:\\a"));
  EXPECT_FALSE(plat::FileExists("C:\\none"));
  EXPECT_FALSE(plat::FileExists("C:\\..\\dosdevices"));

  // A leftover target never blocks a rename.
  TempWorld::WriteHostFile(world.driveC() + "/b", "stale");
  EXPECT_EQ(plat::RenameFile("C:\\a", "c:/b"), 0);
  EXPECT_FALSE(plat::FileExists("C:\\a"));
  EXPECT_EQ(TempWorld::ReadHostFile(world.driveC() + "/b"), "12345");
  EXPECT_EQ(plat::RenameFile("C:\\a", "C:\\c"), -1);
  EXPECT_EQ(plat::RenameFile("C:\\b", "C:\\..\\b"), -1);
  EXPECT_TRUE(plat::FileExists("C:\\b"));

  EXPECT_EQ(plat::RemoveFile("C:\\b"), 0);
  EXPECT_EQ(plat::RemoveFile("C:\\b"), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(plat::RemoveFile("C:\\dir"), -1);
  EXPECT_TRUE(fs::is_directory(world.driveC() + "/dir"));
}

TEST(Files, AtomicWriteReplacesWholeAndLeavesNoTemporary) {
  TempWorld world;
  std::string dir = world.driveC() + "/Program Files/Arkvale";
  fs::create_directories(dir);
  ASSERT_TRUE(plat::WriteFileAtomically("C:\\Program Files\\Arkvale\\config_file", "one\n", 0600));
  EXPECT_EQ(ModeOf(dir + "/config_file"), 0600u);
  ASSERT_TRUE(plat::WriteFileAtomically("C:\\Program Files\\Arkvale\\config_file", "two\n2\n"));
  EXPECT_EQ(TempWorld::ReadHostFile(dir + "/config_file"), "two\n2\n");
  EXPECT_EQ(ModeOf(dir + "/config_file"), 0600u);
  EXPECT_EQ(Names(dir), std::vector<std::string>{"config_file"});

  // A failed replacement keeps what was there and cleans up after itself.
  fs::create_directory(dir + "/taken");
  TempWorld::WriteHostFile(dir + "/taken/keep", "k");
  EXPECT_FALSE(plat::WriteFileAtomically("C:\\Program Files\\Arkvale\\taken", "x"));
  EXPECT_EQ(TempWorld::ReadHostFile(dir + "/taken/keep"), "k");
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"config_file", "taken"}));
  EXPECT_FALSE(plat::WriteFileAtomically("C:\\nodir\\file", "x"));
  EXPECT_FALSE(plat::WriteFileAtomically("C:\\..\\file", "x"));
}

TEST(Files, AtomicWriteHonoursTheUmaskKeepsModesAndWritesThroughLinks) {
  TempWorld world;
  const std::string c = world.driveC();
  const mode_t saved = ::umask(027);
  const bool written = plat::WriteFileAtomically("C:\\new.bak", "1");
  const bool copied = plat::CopyFileAtomically("C:\\new.bak", "C:\\copy.bak");
  ::umask(saved);
  ASSERT_TRUE(written && copied);
  EXPECT_EQ(ModeOf(c + "/new.bak"), 0640u);
  EXPECT_EQ(ModeOf(c + "/copy.bak"), 0640u);

  ASSERT_EQ(::chmod((c + "/new.bak").c_str(), 0664), 0);
  ASSERT_TRUE(plat::WriteFileAtomically("C:\\new.bak", "2"));
  EXPECT_EQ(ModeOf(c + "/new.bak"), 0664u);
  // A secret is owner-only even where the file it replaces was not.
  ASSERT_TRUE(plat::WriteFileAtomically("C:\\new.bak", "3", 0600));
  EXPECT_EQ(ModeOf(c + "/new.bak"), 0600u);

  fs::create_directory(c + "/sets");
  fs::create_symlink("sets/week.bak", c + "/link.bak");
  fs::create_symlink("link.bak", c + "/link2.bak");
  ASSERT_TRUE(plat::WriteFileAtomically("C:\\link2.bak", "first"));
  ASSERT_TRUE(plat::WriteFileAtomically("C:\\link.bak", "second"));
  EXPECT_TRUE(fs::is_symlink(c + "/link.bak"));
  EXPECT_TRUE(fs::is_symlink(c + "/link2.bak"));
  EXPECT_EQ(TempWorld::ReadHostFile(c + "/sets/week.bak"), "second");
  EXPECT_EQ(Names(c + "/sets"), std::vector<std::string>{"week.bak"});
}

TEST(Files, AtomicWritesFitBesideTheLongestNames) {
  TempWorld world;
  const std::string name = std::string(255, 'n');
  ASSERT_TRUE(plat::WriteFileAtomically("C:\\" + name, "written"));
  ASSERT_TRUE(plat::CopyFileAtomically("C:\\" + name, "C:\\" + std::string(255, 'c')));
  EXPECT_EQ(TempWorld::ReadHostFile(world.driveC() + "/" + std::string(255, 'c')), "written");
}

TEST(Files, CopyIsByteForByte) {
  TempWorld world;
  std::string content;
  for (int i = 0; i < 200000; ++i) content.push_back(static_cast<char>(i * 7));
  TempWorld::WriteHostFile(world.driveC() + "/src", content);
  ASSERT_TRUE(plat::CopyFileAtomically("C:\\src", "C:\\dst", 0600));
  EXPECT_EQ(TempWorld::ReadHostFile(world.driveC() + "/dst"), content);
  EXPECT_EQ(ModeOf(world.driveC() + "/dst"), 0600u);
  EXPECT_FALSE(plat::CopyFileAtomically("C:\\none", "C:\\dst"));
  EXPECT_EQ(TempWorld::ReadHostFile(world.driveC() + "/dst"), content);
}

}  // namespace
