#include "server/CredentialsCheck.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/CredentialsKey.h"
#include "server/Descriptor.h"
#include "server/ServerLog.h"

extern char** environ;

namespace arkvale::server {

namespace {

// The plain credentials are at most a 200-byte buffer on the client.
constexpr std::size_t kMaxPlain = 1024;
constexpr int kCcryptTimeoutMs = 10000;

// A private directory that goes away with everything in it.
class PrivateDirectory {
 public:
  PrivateDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/arkvale-login-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~PrivateDirectory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  PrivateDirectory(const PrivateDirectory&) = delete;
  PrivateDirectory& operator=(const PrivateDirectory&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool WriteFile(const std::string& path, std::string_view data) {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (fd.get() < 0) return false;
  while (!data.empty()) {
    ssize_t n = ::write(fd.get(), data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes to a pipe whose reader may already be gone, without a process-wide SIGPIPE.
bool WriteToPipe(int fd, std::string_view data) {
  sigset_t pipeSignal, old;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
  bool ok = true;
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  if (!ok) {
    timespec zero{0, 0};
    sigtimedwait(&pipeSignal, nullptr, &zero);
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return ok;
}

}  // namespace

std::optional<std::string> DecryptCredentials(std::string_view encrypted) {
  PrivateDirectory directory;
  if (directory.path().empty()) return std::nullopt;
  std::string file = directory.path() + "/credentials.cpt";
  if (!WriteFile(file, encrypted)) return std::nullopt;

  int keyPipe[2], outPipe[2];
  if (::pipe2(keyPipe, O_CLOEXEC) != 0) return std::nullopt;
  Descriptor keyRead(keyPipe[0]), keyWrite(keyPipe[1]);
  if (::pipe2(outPipe, O_CLOEXEC) != 0) return std::nullopt;
  Descriptor outRead(outPipe[0]), outWrite(outPipe[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, keyRead.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, outWrite.get(), 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string program = "ccrypt";
  std::string args[] = {"ccrypt", "-d", "-c", "-q", "-k", "-", file};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                  args[4].data(), args[5].data(), args[6].data(), nullptr};
  // The serving process blocks its stop signals and ignores SIGPIPE; ccrypt starts afresh.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  int spawned = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    LogLine(std::string("cannot run ccrypt: ") + std::strerror(spawned));
    return std::nullopt;
  }
  keyRead.Close();
  outWrite.Close();

  char key[kCredentialsKeyLength + 1];
  AssembleCredentialsKey(key);
  std::string keyLine(key, kCredentialsKeyLength);
  keyLine += '\n';
  std::memset(key, 0, sizeof key);
  WriteToPipe(keyWrite.get(), keyLine);
  std::fill(keyLine.begin(), keyLine.end(), '\0');
  keyWrite.Close();

  std::string plain;
  bool complete = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCcryptTimeoutMs);
  while (plain.size() <= kMaxPlain) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) break;
    pollfd p{outRead.get(), POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char piece[512];
    ssize_t n = ::read(outRead.get(), piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      complete = n == 0;
      break;
    }
    plain.append(piece, static_cast<std::size_t>(n));
  }
  if (!complete) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!complete || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return plain;
}

std::optional<Credentials> ParseCredentials(std::string_view text) {
  std::size_t first = text.find(',');
  if (first == std::string_view::npos || first == 0) return std::nullopt;
  std::size_t second = text.find(',', first + 1);
  if (second == std::string_view::npos || second + 1 != text.size()) return std::nullopt;
  return Credentials{std::string(text.substr(0, first)),
                     std::string(text.substr(first + 1, second - first - 1))};
}

}  // namespace arkvale::server
