#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/Install.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "tests/support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

using arkvale::test::TempWorld;

constexpr const char* kRecorder = "C:\\Program Files\\Arkvale\\rec.exe";

bool WaitFor(const std::function<bool()>& condition) {
  for (int i = 0; i < 500; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

struct Record {
  int pid = 0;
  std::string fds;
  std::string stdoutTarget;
  std::string key;
  std::vector<std::string> args;
  std::string stdinText;
};

// Waits for the recorder's file in hostDir and parses it.
Record ReadRecord(const std::string& hostDir) {
  std::string path = hostDir + "/record";
  EXPECT_TRUE(WaitFor([&] { return fs::exists(path); })) << path;
  std::string text = TempWorld::ReadHostFile(path);
  Record record;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("pid ", 0) == 0) record.pid = std::stoi(line.substr(4));
    if (line.rfind("fds ", 0) == 0) record.fds = line.substr(4);
    if (line.rfind("stdout ", 0) == 0) record.stdoutTarget = line.substr(7);
    if (line.rfind("arg ", 0) == 0) record.args.push_back(line.substr(4));
    if (line.rfind("key ", 0) == 0) record.key = line.substr(4) + "\n";
    if (line.rfind("stdin ", 0) == 0) {
      record.stdinText = text.substr(text.find("\nstdin ") + 7);
      break;
    }
  }
  return record;
}

class Process : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = world_.driveC() + "/Program Files/Arkvale";
    fs::create_directories(install_);
    fs::create_symlink(ARGV_RECORDER, install_ + "/rec.exe");
  }

  TempWorld world_;
  std::string install_;
};

TEST_F(Process, WordsBecomeTheWholeArgumentVector) {
  ASSERT_EQ(plat::MakeDirectory("C:\\work"), 0);
  ASSERT_EQ(plat::ChangeDirectory("C:\\work"), 0);
  int inheritable = open("/dev/null", O_RDONLY);  // no close-on-exec: must still not leak
  ASSERT_GE(inheritable, 0);
  std::vector<std::string> words = {"-c",          "-d",      "C:\\a_temp_file.gz",
                                    ">",           "C:\\aaa", "rel\\name",
                                    "Q:\\nodrive", "z:\\tmp", "two words"};
  ASSERT_EQ(plat::SpawnDetached(kRecorder, words), 0);
  close(inheritable);

  Record record = ReadRecord(world_.driveC() + "/work");
  EXPECT_EQ(record.args, (std::vector<std::string>{"-c", "-d", world_.driveC() + "/a_temp_file.gz",
                                                   ">", world_.driveC() + "/aaa", "rel\\name",
                                                   "Q:\\nodrive", "/tmp", "two words"}));
  EXPECT_EQ(record.fds, "");
  EXPECT_EQ(record.stdoutTarget, "/dev/null");
  EXPECT_EQ(record.stdinText, "");
  EXPECT_EQ(plat::GetCurrentDirectory(), "C:\\work");
}

TEST_F(Process, KeyGoesThroughAPipeNeverTheCommandLine) {
  std::vector<std::string> words = {"-e", "-f", "-K", "my secret key", "C:\\f", "--sleep"};
  ASSERT_EQ(plat::SpawnDetached(kRecorder, words), 0);
  Record record = ReadRecord(world_.driveC());
  EXPECT_EQ(record.args,
            (std::vector<std::string>{"-e", "-f", "-k", "-", world_.driveC() + "/f", "--sleep"}));
  EXPECT_EQ(record.stdinText, "my secret key\n");
  // The child lingers: its command line as every local user sees it.
  std::ifstream cmdline("/proc/" + std::to_string(record.pid) + "/cmdline", std::ios::binary);
  std::string seen((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
  EXPECT_NE(seen.find("--sleep"), std::string::npos) << "child gone before it was inspected";
  EXPECT_EQ(seen.find("secret"), std::string::npos);
}

TEST_F(Process, FailedStartsGiveMinusOne) {
  TempWorld::WriteHostFile(install_ + "/plain.exe", "not a program");
  TempWorld::WriteHostFile(install_ + "/broken.exe", "#!/nonexistent/interpreter\n");
  fs::permissions(install_ + "/broken.exe", fs::perms::owner_all);
  for (const char* exe : {"C:\\Program Files\\Arkvale\\gzip.exe", "C:\\Program Files\\Arkvale",
                          "C:\\Program Files\\Arkvale\\plain.exe",
                          "C:\\Program Files\\Arkvale\\broken.exe", "C:\\..\\rec.exe", ""}) {
    EXPECT_EQ(plat::SpawnDetached(exe, {"x"}), -1) << exe;
    EXPECT_EQ(plat::RunAndWait(exe, {"x"}), -1) << exe;
    EXPECT_EQ(plat::ReplaceProcess(exe, {"x"}), -1) << exe;
  }
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(Process, DetachedChildrenLeaveNoZombies) {
  for (int i = 0; i < 5; ++i) {
    std::string dir = "C:\\run" + std::to_string(i);
    ASSERT_EQ(plat::MakeDirectory(dir), 0);
    ASSERT_EQ(plat::ChangeDirectory(dir), 0);
    ASSERT_EQ(plat::SpawnDetached(kRecorder, {"child", "--exit=3"}), 0);
  }
  for (int i = 0; i < 5; ++i) ReadRecord(world_.driveC() + "/run" + std::to_string(i));
  // Not even a finished child is ours to wait for: they belong to init.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(Process, OwnChildrenAreSeenToEndAndReaped) {
  EXPECT_EQ(plat::StartChild("C:\\Program Files\\Arkvale\\none.exe", {"x"}), -1);
  int quick = plat::StartChild(kRecorder, {"child", "--no-stdin", "--exit=4"});
  ASSERT_GT(quick, 0);
  int code = 0;
  EXPECT_TRUE(WaitFor([&] { return plat::ReapChild(quick, &code) == 1; }));
  EXPECT_EQ(code, 4);
  ASSERT_EQ(plat::MakeDirectory("C:\\slow"), 0);
  ASSERT_EQ(plat::ChangeDirectory("C:\\slow"), 0);
  int slow = plat::StartChild(kRecorder, {"child", "--no-stdin", "--sleep"});
  ASSERT_GT(slow, 0);
  ReadRecord(world_.driveC() + "/slow");
  EXPECT_EQ(plat::ReapChild(slow), 0);
  plat::EndChild(slow);
  EXPECT_EQ(plat::ReapChild(slow), -1);
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(Process, StreamsGoToTheGivenDescriptorsAndTheKeyToItsOwn) {
  int data[2];
  ASSERT_EQ(pipe(data), 0);
  const std::string outPath = world_.driveC() + "/out";
  int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(out, 0);
  int pid = plat::StartChild(kRecorder, {"ccrypt", "-d", "-K", "k e y"}, {data[0], out});
  ASSERT_GT(pid, 0);
  close(data[0]);
  close(out);
  ASSERT_EQ(write(data[1], "stream", 6), 6);
  close(data[1]);
  Record record = ReadRecord(world_.driveC());
  EXPECT_EQ(record.args, (std::vector<std::string>{"ccrypt", "-d", "-k", "/dev/fd/3"}));
  EXPECT_EQ(record.key, "k e y\n");
  EXPECT_EQ(record.stdoutTarget, outPath);
  EXPECT_EQ(record.stdinText, "stream");
  int code = -1;
  EXPECT_TRUE(WaitFor([&] { return plat::ReapChild(pid, &code) == 1; }));
  EXPECT_EQ(code, 0);
}

TEST_F(Process, RunAndWaitGivesTheExitCode) {
  EXPECT_EQ(plat::RunAndWait(kRecorder, {"setwell", "--exit=7", "--no-stdin"}), 7);
  Record record = ReadRecord(world_.driveC());
  EXPECT_EQ(record.args, (std::vector<std::string>{"setwell", "--exit=7", "--no-stdin"}));
  EXPECT_EQ(plat::RunAndWait(kRecorder, {"setwell", "--no-stdin"}), 0);
  EXPECT_EQ(plat::RunAndWait(kRecorder, {"setwell", "--kill", "--no-stdin"}), -1);
  EXPECT_EQ(plat::RunAndWait(kRecorder, {"tool", "-K", "k"}), 0);
  EXPECT_EQ(ReadRecord(world_.driveC()).stdinText, "k\n");
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(Process, ReplaceProcessRunsTheProgramInPlace) {
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    plat::ReplaceProcess(kRecorder, {"arkvale", "--exit=5", "-K", "k e y"});
    _exit(99);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 5);
  Record record = ReadRecord(fs::current_path().string());
  fs::remove(fs::current_path() / "record");
  EXPECT_EQ(record.args, (std::vector<std::string>{"arkvale", "--exit=5", "-k", "-"}));
  EXPECT_EQ(record.stdinText, "k e y\n");
}

TEST_F(Process, RealToolsWithKeysAndRestoreWords) {
  std::string ccrypt = plat::FindOnPath("ccrypt");
  std::string gzip = plat::FindOnPath("gzip");
  ASSERT_FALSE(ccrypt.empty());
  ASSERT_FALSE(gzip.empty());
  fs::create_symlink(ccrypt, install_ + "/ccrypt.exe");
  fs::create_symlink(gzip, install_ + "/gzip.exe");
  std::string content = "line one\nline two\n";
  std::string key = "a key  with blanks";
  TempWorld::WriteHostFile(world_.driveC() + "/temp_filexyz555.gz", content);

  ASSERT_EQ(plat::SpawnDetached("C:\\Program Files\\Arkvale\\ccrypt.exe",
                                {"-e", "-f", "-K", key, "C:\\temp_filexyz555.gz"}),
            0);
  std::string encrypted = world_.driveC() + "/temp_filexyz555.gz.cpt";
  ASSERT_TRUE(WaitFor([&] {
    return fs::exists(encrypted) && !fs::exists(world_.driveC() + "/temp_filexyz555.gz");
  }));
  FILE* pipe = popen(("ccrypt -d -c -K '" + key + "' '" + encrypted + "'").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string decrypted;
  char buffer[256];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) decrypted.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(decrypted, content);

  // Decrypt back through the layer, then decompress with the restore's words.
  fs::rename(encrypted, world_.driveC() + "/a_temp_file.cpt");
  ASSERT_EQ(plat::SpawnDetached("C:\\Program Files\\Arkvale\\ccrypt.exe",
                                {"-q", "-d", "-K", key, "C:\\a_temp_file.cpt"}),
            0);
  ASSERT_TRUE(WaitFor([&] { return fs::exists(world_.driveC() + "/a_temp_file"); }));
  ASSERT_TRUE(WaitFor([&] { return !fs::exists(world_.driveC() + "/a_temp_file.cpt"); }));
  EXPECT_EQ(TempWorld::ReadHostFile(world_.driveC() + "/a_temp_file"), content);
  ASSERT_EQ(system(("gzip -9 '" + world_.driveC() + "/a_temp_file'").c_str()), 0);
  ASSERT_EQ(plat::SpawnDetached("C:\\Program Files\\Arkvale\\gzip.exe",
                                {"-c", "-d", "C:\\a_temp_file.gz", ">", "C:\\aaa"}),
            0);
  ASSERT_TRUE(WaitFor([&] { return !fs::exists(world_.driveC() + "/a_temp_file.gz"); }));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(world_.driveC() + "/a_temp_file"); }));
  EXPECT_EQ(TempWorld::ReadHostFile(world_.driveC() + "/a_temp_file"), content);
}

}  // namespace
