#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/DirectorySearch.h"
#include "platform/Paths.h"
#include "platform/WindowsNames.h"
#include "tests/support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

using arkvale::test::TempWorld;

std::map<std::string, plat::FindData> ByName(const std::vector<plat::FindData>& entries) {
  std::map<std::string, plat::FindData> map;
  for (const plat::FindData& e : entries) map[e.name] = e;
  return map;
}

TEST(DirectorySearch, FilesAndDirectoriesWithSizesAndTimes) {
  TempWorld world;
  std::string dir = world.driveC() + "/data";
  TempWorld::WriteHostFile(dir + "/a.txt", "hello");
  TempWorld::WriteHostFile(dir + "/empty", "");
  TempWorld::WriteHostFile(dir + "/sub/inner", "x");
  fs::last_write_time(dir + "/a.txt", fs::file_time_type::clock::from_sys(std::chrono::sys_seconds(
                                          std::chrono::seconds(1'000'000'000))));
  // Beyond 32 bits without using the disk.
  TempWorld::WriteHostFile(dir + "/big", "");
  ASSERT_EQ(truncate((dir + "/big").c_str(), 5'000'000'000LL), 0);

  for (const char* pattern : {"C:\\data", "C:\\data\\", "c:/data/*.*", "C:\\data\\*.*"}) {
    std::optional<std::vector<plat::FindData>> listed = plat::ListDirectory(pattern);
    ASSERT_TRUE(listed) << pattern;
    std::map<std::string, plat::FindData> entries = ByName(*listed);
    ASSERT_EQ(entries.size(), 4u) << pattern;
    EXPECT_EQ(entries["a.txt"].size, 5u);
    EXPECT_EQ(entries["a.txt"].lastWriteTime, 1'000'000'000);
    EXPECT_EQ(entries["a.txt"].attributes & plat::kFileAttributeDirectory, 0u);
    EXPECT_EQ(entries["empty"].size, 0u);
    EXPECT_EQ(entries["big"].size, 5'000'000'000ULL);
    EXPECT_EQ(entries["sub"].attributes, plat::kFileAttributeDirectory);
  }
}

TEST(DirectorySearch, OrderIsTheFileSystemsAndDotsAreNotListed) {
  TempWorld world;
  std::string dir = world.driveC() + "/d";
  for (const char* name : {"b", "a", "c"}) TempWorld::WriteHostFile(dir + "/" + name, "");
  std::vector<std::string> expected;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    expected.push_back(e.path().filename().string());
  }
  std::optional<std::vector<plat::FindData>> listed = plat::ListDirectory("C:\\d");
  ASSERT_TRUE(listed);
  std::vector<std::string> names;
  for (const plat::FindData& e : *listed) names.push_back(e.name);
  EXPECT_EQ(names, expected);
}

TEST(DirectorySearch, LinksAndEntriesAWindowsDriveCannotHold) {
  TempWorld world;
  std::string dir = world.driveC() + "/mixed";
  TempWorld::WriteHostFile(dir + "/target.bin", "0123456789");
  fs::create_directory(dir + "/realdir");
  fs::create_directory_symlink("..", dir + "/loop");
  fs::create_symlink("target.bin", dir + "/alias.bin");
  fs::create_symlink("nowhere", dir + "/broken");
  ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
  int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socketPath = dir + "/sock";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  std::map<std::string, plat::FindData> entries = ByName(*plat::ListDirectory("C:\\mixed"));
  close(sock);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries["realdir"].attributes, plat::kFileAttributeDirectory);
  EXPECT_EQ(entries["loop"].attributes,
            plat::kFileAttributeDirectory | plat::kFileAttributeReparsePoint);
  EXPECT_EQ(entries["alias.bin"].attributes & plat::kFileAttributeDirectory, 0u);
  EXPECT_EQ(entries["alias.bin"].size, 10u);
  EXPECT_EQ(entries["target.bin"].size, 10u);
}

TEST(DirectorySearch, ForbiddenCharactersComeAsPrivateUseAndAmbiguousNamesAreRefused) {
  TempWorld world;
  std::string dir = world.driveC() + "/names";
  const std::vector<std::string> names = {"a<b",
                                          "a>b",
                                          "a\"b",
                                          "a|b",
                                          "what?",
                                          "star*",
                                          "line\nbreak",
                                          "tab\there",
                                          "\x01start",
                                          "end\x1f",
                                          "cr\r",
                                          "back\\slash",
                                          "caf\xc3\xa9.txt",
                                          "a b (1) [2] {3} #;,=+&%$!@'~`^.x"};
  for (const std::string& name : names) TempWorld::WriteHostFile(dir + "/" + name, "x");
  fs::create_directory(dir + "/at 10:30");
  // Already holds the form of ':', so it has no Windows name of its own.
  TempWorld::WriteHostFile(dir + "/x\xef\x80\xbay", "x");

  std::vector<std::string> refused;
  std::optional<std::vector<plat::FindData>> listed = plat::ListDirectory("C:\\names", refused);
  ASSERT_TRUE(listed);
  std::map<std::string, plat::FindData> entries = ByName(*listed);
  EXPECT_EQ(entries.size(), names.size() + 1);
  for (const std::string& name : names) {
    const std::string windowsName = plat::WindowsNameOf(name);
    EXPECT_EQ(windowsName.find_first_of("<>:\"|?*\\\n"), std::string::npos) << name;
    ASSERT_EQ(entries.count(windowsName), 1u) << name;
    EXPECT_EQ(plat::ToHostPath("C:\\names\\" + windowsName), dir + "/" + name);
  }
  EXPECT_EQ(entries["at 10\xef\x80\xba"
                    "30"]
                .attributes,
            plat::kFileAttributeDirectory);
  EXPECT_EQ(refused, std::vector<std::string>{dir + "/x\xef\x80\xbay"});
}

TEST(DirectorySearch, WhatCannotBeListed) {
  TempWorld world;
  TempWorld::WriteHostFile(world.driveC() + "/file", "x");
  EXPECT_FALSE(plat::ListDirectory("C:\\missing"));
  EXPECT_FALSE(plat::ListDirectory("C:\\file"));
  EXPECT_FALSE(plat::ListDirectory("C:\\..\\*.*"));
  EXPECT_FALSE(plat::ListDirectory("Q:\\"));
  EXPECT_FALSE(plat::ListDirectory(""));
  std::optional<std::vector<plat::FindData>> root = plat::ListDirectory("C:\\*.*");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->size(), 1u);
  EXPECT_EQ(root->front().name, "file");
}

}  // namespace
