#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "client/session/ChildTools.h"
#include "client/settings/EventLog.h"
#include "client/settings/InstallPaths.h"
#include "platform/Install.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

namespace fs = std::filesystem;
using test::RecordingPrompt;
using test::TempWorld;

// Polls as the callers do, but gives up after a while so a broken child fails the test.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::seconds limit = std::chrono::seconds(20)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kChildPollMs));
  }
  return true;
}

std::string RandomBytes(std::size_t size) {
  std::mt19937 random(42);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(random() & 0xff);
  return out;
}

class ChildToolsTest : public ::testing::Test {
 protected:
  void Install() {
    std::vector<std::string> installed;
    std::string error;
    ASSERT_TRUE(plat::InstallTools(installed, error)) << error;
  }
  std::string C(const std::string& name) const { return world.driveC() + "/" + name; }
  bool Exists(const std::string& name) const { return fs::exists(C(name)); }

  // The restore's decryptor piped into its decompressor, from the file in to the file out; the
  // exit codes of both.
  std::pair<int, int> Restore(const std::string& key, const std::string& in,
                              const std::string& out) {
    int input = ::open(C(in).c_str(), O_RDONLY | O_CLOEXEC);
    int output = ::open(C(out).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int between[2];
    EXPECT_TRUE(input >= 0 && output >= 0 && ::pipe2(between, O_CLOEXEC) == 0);
    ChildProcess decryptor;
    ChildProcess decompressor;
    EXPECT_TRUE(decryptor.Start(kInstallDirectory, ChildTool::Ccrypt, RestoreDecryptWords(key),
                                {input, between[1]}));
    EXPECT_TRUE(decompressor.Start(kInstallDirectory, ChildTool::Gzip, RestoreDecompressWords(),
                                   {between[0], output}));
    for (int fd : {input, output, between[0], between[1]}) ::close(fd);
    EXPECT_TRUE(WaitFor([&] { return decryptor.ended() && decompressor.ended(); }));
    return {decryptor.exitCode(), decompressor.exitCode()};
  }

  TempWorld world;
};

TEST_F(ChildToolsTest, MissingExecutableGivesMinusOne) {
  fs::remove_all(world.driveC() + "/Program Files");
  EXPECT_EQ(SpawnChild(kInstallDirectory, ChildTool::Gzip, BackupCompressWords()), -1);
  EXPECT_EQ(SpawnChild(kInstallDirectory, ChildTool::Ccrypt, BackupEncryptWords("k")), -1);
}

TEST_F(ChildToolsTest, BackupPipelineThenRestorePipelineGiveTheOriginalBack) {
  Install();
  const std::string original = RandomBytes(100000) + std::string(100000, 'z');
  const std::string key = "a key  with blanks ";
  TempWorld::WriteHostFile(C("temp_filexyz555"), original);

  // Backup: the compressor piped into the encryptor, the key on a descriptor of its own.
  int output = ::open(C("temp_filexyz555.gz.cpt").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  int between[2];
  ASSERT_TRUE(output >= 0 && ::pipe2(between, O_CLOEXEC) == 0);
  ChildProcess compressor;
  ChildProcess encryptor;
  EXPECT_TRUE(compressor.Start(kInstallDirectory, ChildTool::Gzip, BackupCompressWords(),
                               {-1, between[1]}));
  EXPECT_TRUE(encryptor.Start(kInstallDirectory, ChildTool::Ccrypt, BackupEncryptWords(key),
                              {between[0], output}));
  for (int fd : {output, between[0], between[1]}) ::close(fd);
  ASSERT_TRUE(WaitFor([&] { return compressor.ended() && encryptor.ended(); }));
  EXPECT_EQ(compressor.exitCode(), 0);
  EXPECT_EQ(encryptor.exitCode(), 0);
  EXPECT_LT(fs::file_size(C("temp_filexyz555.gz.cpt")), original.size());

  // The whole key, blanks and all, is the key: the host tool decrypts with it as one word.
  const std::string cmd = "ccrypt -d -c -K '" + key + "' '" + C("temp_filexyz555.gz.cpt") +
                          "' | gzip -d -c > '" + C("check") + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(TempWorld::ReadHostFile(C("check")), original);

  // Restore: the decryptor piped into the decompressor, the key on a descriptor of its own.
  EXPECT_EQ(Restore(key, "temp_filexyz555.gz.cpt", "restored"), std::make_pair(0, 0));
  EXPECT_EQ(TempWorld::ReadHostFile(C("restored")), original);
}

TEST_F(ChildToolsTest, AwaitEndsWithTheChildWhetherItLeftItsFileOrNot) {
  Install();
  TempWorld::WriteHostFile(C("user_password"), RandomBytes(300000));
  // A bound far beyond any test's patience: only the child's end can cut these waits short.
  const auto never = std::chrono::hours(1);
  ChildProcess encrypting;
  ASSERT_EQ(
      SpawnChild(kInstallDirectory, ChildTool::Ccrypt, CredentialsEncryptWords("k"), encrypting),
      0);
  int ticks = 0;
  EXPECT_TRUE(AwaitChildFile(
      encrypting, never, [&] { return !Exists("user_password"); }, [&] { ++ticks; }));
  EXPECT_TRUE(WaitFor([&] { return Exists("user_password.cpt"); }));
  // The encryptor of a file that is not there ends at once, leaving nothing.
  fs::remove(C("user_password.cpt"));
  ChildProcess ccrypt;
  ASSERT_EQ(SpawnChild(kInstallDirectory, ChildTool::Ccrypt, CredentialsEncryptWords("k"), ccrypt),
            0);
  EXPECT_FALSE(AwaitChildFile(ccrypt, never, [&] { return Exists("user_password.cpt"); }));
  EXPECT_TRUE(ccrypt.ended());
  // A child that could not start has no end to watch: the wait runs out its bound in steps.
  fs::remove_all(world.driveC() + "/Program Files");
  ChildProcess missing;
  EXPECT_EQ(SpawnChild(kInstallDirectory, ChildTool::Gzip, BackupCompressWords(), missing), -1);
  ticks = 0;
  EXPECT_FALSE(AwaitChildFile(
      missing, std::chrono::milliseconds(3 * kChildPollMs), [] { return false; },
      [&] { ++ticks; }));
  EXPECT_GE(ticks, 2);
  EXPECT_FALSE(missing.ended());
}

TEST_F(ChildToolsTest, WrongKeyFailsTheDecryptorAndLeavesNoOutput) {
  Install();
  TempWorld::WriteHostFile(C("user_password"), "payload");
  ASSERT_EQ(SpawnChild(kInstallDirectory, ChildTool::Ccrypt, CredentialsEncryptWords("right key")),
            0);
  ASSERT_TRUE(WaitFor([&] { return Exists("user_password.cpt") && !Exists("user_password"); }));
  // "right" alone would be the key if the blank split the word.
  const auto [decrypted, decompressed] = Restore("right", "user_password.cpt", "restored");
  EXPECT_NE(decrypted, 0);
  EXPECT_NE(decompressed, 0);
  EXPECT_EQ(TempWorld::ReadHostFile(C("restored")), "");
}

TEST_F(ChildToolsTest, CredentialsAreEncryptedAndTheKeyNeverShowsInTheProcessList) {
  Install();
  // Large enough that the child is still running while the process list is searched.
  TempWorld::WriteHostFile(C("user_password"), RandomBytes(48 << 20));
  const std::string key = "Unmistakable key 8f3a91c2 with blanks";
  ASSERT_EQ(SpawnChild(kInstallDirectory, ChildTool::Ccrypt, CredentialsEncryptWords(key)), 0);
  bool sawChild = false;
  bool sawKey = false;
  ASSERT_TRUE(WaitFor([&] {
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::ifstream in(entry.path() / "cmdline", std::ios::binary);
      const std::string cmdline((std::istreambuf_iterator<char>(in)), {});
      if (cmdline.find("user_password") != std::string::npos) sawChild = true;
      if (cmdline.find("8f3a91c2") != std::string::npos) sawKey = true;
    }
    return Exists("user_password.cpt");
  }));
  ASSERT_TRUE(WaitFor([&] { return !Exists("user_password"); }));
  EXPECT_TRUE(sawChild) << "the child ended before the process list was read";
  EXPECT_FALSE(sawKey);
}

TEST(SpawnFailureTest, EachCallerReportsItsOwnWay) {
  TempWorld world;
  fs::create_directories(world.driveC() + "/Program Files/Arkvale");
  EventLog log([] { return std::time_t{1080659240}; });
  RecordingPrompt opening;
  log.Open(kInstallDirectory, opening);
  ASSERT_TRUE(log.IsOpen());

  struct Expected {
    SpawnCaller caller;
    const char* text;  // box text, or null for no box
    const char* caption;
    bool logged;
  };
  const Expected cases[] = {
      {SpawnCaller::ManualBackupGzip, "Error on spawn", "Arkvale", false},
      {SpawnCaller::ManualBackupCcrypt, "Error on spawn", "Arkvale", false},
      {SpawnCaller::AutomaticBackupGzip, "Error on spawn", "Arkvale", false},
      {SpawnCaller::AutomaticBackupCcrypt, nullptr, nullptr, true},
      {SpawnCaller::RestoreCcrypt, "Error on spawn", "Debugging", false},
      {SpawnCaller::RestoreGzip, "Error on spawn", "Arkvale", false},
      {SpawnCaller::EncryptCredentials, "Error here on spawn", "arkvale", true},
  };
  for (const Expected& e : cases) {
    RecordingPrompt prompt;
    const auto before = log.ReadAll(1000)->size();
    ReportSpawnFailure(e.caller, prompt, log);
    const auto lines = *log.ReadAll(1000);
    SCOPED_TRACE(static_cast<int>(e.caller));
    if (e.logged) {
      ASSERT_EQ(lines.size(), before + 1);
      EXPECT_NE(lines.back().find("\t2\tError on spawn\t"), std::string::npos) << lines.back();
    } else {
      EXPECT_EQ(lines.size(), before);
    }
    if (e.text == nullptr) {
      EXPECT_TRUE(prompt.boxes().empty());
      continue;
    }
    ASSERT_EQ(prompt.boxes().size(), 1u);
    const auto box = prompt.boxes()[0];
    EXPECT_EQ(box.text, e.text);
    EXPECT_EQ(box.caption, e.caption);
    EXPECT_EQ(box.icon, Icon::None);
    EXPECT_EQ(box.owner,
              e.caller == SpawnCaller::EncryptCredentials ? Owner::MainWindow : Owner::None);
  }
}

}  // namespace
}  // namespace arkvale
