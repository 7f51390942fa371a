#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Install.h"
#include "tests/support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

using arkvale::test::TempWorld;

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

void WriteProgram(const std::string& path, const std::string& content) {
  TempWorld::WriteHostFile(path, content);
  fs::permissions(path, fs::perms::owner_all);
}

TEST(Install, LinksToolsAndCopiesBuiltPrograms) {
  TempWorld world;
  std::string bin = world.root() + "/bin";
  WriteProgram(bin + "/arkvale", "#!/bin/sh\necho arkvale\n");
  WriteProgram(bin + "/setwell", "#!/bin/sh\necho setwell v1\n");
  std::vector<std::string> installed;
  std::string error;
  ASSERT_TRUE(plat::InstallPrograms(bin, installed, error)) << error;
  EXPECT_EQ(error, "");
  EXPECT_EQ(installed, (std::vector<std::string>{"C:\\Program Files\\Arkvale\\gzip.exe",
                                                 "C:\\Program Files\\Arkvale\\ccrypt.exe",
                                                 "C:\\Program Files\\Arkvale\\arkvale.exe",
                                                 "C:\\Program Files\\Arkvale\\setwell.exe"}));
  std::string dir = world.driveC() + "/Program Files/Arkvale";
  EXPECT_EQ(fs::read_symlink(dir + "/gzip.exe"), plat::FindOnPath("gzip"));
  EXPECT_EQ(fs::read_symlink(dir + "/ccrypt.exe"), plat::FindOnPath("ccrypt"));
  EXPECT_EQ(TempWorld::ReadHostFile(dir + "/arkvale.exe"), "#!/bin/sh\necho arkvale\n");
  struct stat st {};
  ASSERT_EQ(stat((dir + "/setwell.exe").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);

  // Again over the first installation: replaced, nothing left beside.
  WriteProgram(bin + "/setwell", "#!/bin/sh\necho setwell v2\n");
  ASSERT_TRUE(plat::InstallPrograms(bin, error)) << error;
  EXPECT_EQ(TempWorld::ReadHostFile(dir + "/setwell.exe"), "#!/bin/sh\necho setwell v2\n");
  int entries = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 4);
}

TEST(Install, ProgramsNotBuiltYetAreSkipped) {
  TempWorld world;
  std::vector<std::string> installed;
  std::string error;
  ASSERT_TRUE(plat::InstallPrograms(world.root() + "/nothing", installed, error)) << error;
  EXPECT_EQ(installed.size(), 2u);
  EXPECT_FALSE(fs::exists(world.driveC() + "/Program Files/Arkvale/arkvale.exe"));
}

TEST(Install, ToolsAloneAreLinked) {
  TempWorld world;
  std::vector<std::string> installed;
  std::string error;
  ASSERT_TRUE(plat::InstallTools(installed, error)) << error;
  EXPECT_EQ(installed, (std::vector<std::string>{"C:\\Program Files\\Arkvale\\gzip.exe",
                                                 "C:\\Program Files\\Arkvale\\ccrypt.exe"}));
  EXPECT_TRUE(fs::is_symlink(world.driveC() + "/Program Files/Arkvale/ccrypt.exe"));
}

TEST(Install, MissingToolIsAnError) {
  TempWorld world;
  std::string tools = world.root() + "/tools";
  WriteProgram(tools + "/ccrypt", "#!/bin/sh\n");
  TempWorld::WriteHostFile(tools + "/gzip", "not executable");
  ScopedEnv path("PATH", "relative:" + tools);
  EXPECT_EQ(plat::FindOnPath("ccrypt"), tools + "/ccrypt");
  EXPECT_EQ(plat::FindOnPath("gzip"), "");
  std::vector<std::string> installed;
  std::string error;
  EXPECT_FALSE(plat::InstallPrograms(world.root(), installed, error));
  EXPECT_NE(error.find("gzip"), std::string::npos) << error;
  EXPECT_EQ(installed, std::vector<std::string>{"C:\\Program Files\\Arkvale\\ccrypt.exe"});
  installed.clear();
  EXPECT_FALSE(plat::InstallTools(installed, error));
  EXPECT_NE(error.find("gzip not found"), std::string::npos) << error;
}

TEST(Install, CommandInstallsIntoTheUsersDataDirectory) {
  TempWorld world;
  std::string data = world.root() + "/xdg";
  std::string bin = world.root() + "/bin";
  WriteProgram(bin + "/arkvale", "A");
  std::string command = "XDG_DATA_HOME='" + data + "' '" INSTALL_PROGRAM "' '" + bin + "' 2>&1";
  FILE* out = popen(command.c_str(), "r");
  ASSERT_NE(out, nullptr);
  std::string printed;
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, out)) > 0) printed.append(buffer, n);
  int status = pclose(out);
  ASSERT_EQ(WEXITSTATUS(status), 0) << printed;
  EXPECT_NE(printed.find("arkvale.exe"), std::string::npos) << printed;
  EXPECT_EQ(TempWorld::ReadHostFile(data + "/arkvale/drive_c/Program Files/Arkvale/arkvale.exe"),
            "A");
  EXPECT_TRUE(fs::is_symlink(data + "/arkvale/dosdevices/c:"));

  status = system(("XDG_DATA_HOME='" + data + "' PATH=/nonexistent '" INSTALL_PROGRAM "' '" + bin +
                   "' >/dev/null 2>&1")
                      .c_str());
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace

namespace {

TEST(Install, AProgramInABuildTreeIsNotAnInstalledOne) {
  // Only an installed program re-points the user's links; a test or build-tree run must not.
  EXPECT_EQ(plat::InstalledProgramDirectory(), "");
}

}  // namespace
