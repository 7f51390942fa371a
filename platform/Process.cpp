#include "platform/Process.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <optional>

#include "platform/Drives.h"
#include "platform/Paths.h"

namespace plat {

namespace {

// Everything the child needs, built before fork: after it only async-signal-safe calls are made.
struct Launch {
  std::string hostExe;
  std::vector<std::string> words;
  std::optional<std::string> key;
  // The key on descriptor kKeyDescriptor instead of standard input, which then carries data.
  bool keyOnOwnDescriptor = false;
  std::string workDir;
};

constexpr int kKeyDescriptor = 3;

bool IsWindowsAbsolute(const std::string& word) {
  return word.size() >= 3 && std::isalpha(static_cast<unsigned char>(word[0])) && word[1] == ':' &&
         word[2] == '\\' && DriveHostRoot(word[0]).has_value();
}

std::optional<Launch> Prepare(const std::string& windowsExe, const std::vector<std::string>& words,
                              bool keyOnOwnDescriptor = false) {
  std::optional<std::string> hostExe = ToHostPath(windowsExe);
  struct stat st {};
  if (!hostExe || ::stat(hostExe->c_str(), &st) != 0) {
    errno = ENOENT;
    return std::nullopt;
  }
  if (!S_ISREG(st.st_mode) || ::access(hostExe->c_str(), X_OK) != 0) {
    errno = EACCES;
    return std::nullopt;
  }
  Launch launch;
  launch.hostExe = *hostExe;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "-K" && i + 1 < words.size()) {
      // The key goes through a pipe: a command line is readable by every local user.
      launch.words.push_back("-k");
      launch.words.push_back(keyOnOwnDescriptor ? "/dev/fd/" + std::to_string(kKeyDescriptor)
                                                : "-");
      launch.key = words[++i];
      launch.keyOnOwnDescriptor = keyOnOwnDescriptor;
    } else if (IsWindowsAbsolute(words[i])) {
      launch.words.push_back(ToHostPath(words[i]).value_or(words[i]));
    } else {
      launch.words.push_back(words[i]);
    }
  }
  if (launch.words.empty()) launch.words.push_back(launch.hostExe);
  launch.workDir = ToHostPath(GetCurrentDirectory()).value_or("/");
  return launch;
}

// A pipe whose read end yields key + "\n" and then end of file; -1 on failure.
int KeyPipe(const std::string& key) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
  std::string line = key + "\n";
  // Non-blocking: a key too long for the pipe fails instead of hanging here.
  ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
  ssize_t written = ::write(fds[1], line.data(), line.size());
  ::close(fds[1]);
  if (written != static_cast<ssize_t>(line.size())) {
    ::close(fds[0]);
    errno = E2BIG;
    return -1;
  }
  return fds[0];
}

[[noreturn]] void ReportAndExit(int statusFd, int error) {
  ssize_t ignored = ::write(statusFd, &error, sizeof error);
  (void)ignored;
  ::_exit(127);
}

// The descriptors a child starts with: standard streams (-1 leaves one as it is) and the key's
// own descriptor.
struct ChildFds {
  int input = -1;
  int output = -1;
  int error = -1;
  int key = -1;
};

// Moves fd above the numbers being placed, so that placing one cannot overwrite another.
int Lift(int fd, int statusFd) {
  if (fd < 0) return -1;
  int lifted = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
  if (lifted < 0) ReportAndExit(statusFd, errno);
  return lifted;
}

// Runs in the forked child of a detached start; never returns.
[[noreturn]] void ExecDetached(const Launch& launch, char* const* argv, ChildFds fds,
                               int statusFd) {
  ::setsid();
  pid_t grandchild = ::fork();
  if (grandchild < 0) ReportAndExit(statusFd, errno);
  // The middle process ends at once; the grandchild belongs to init, which reaps it.
  if (grandchild > 0) ::_exit(0);
  statusFd = Lift(statusFd, statusFd);
  for (int* fd : {&fds.input, &fds.output, &fds.error, &fds.key}) {
    *fd = Lift(*fd, statusFd);
  }
  if ((fds.input >= 0 && ::dup2(fds.input, 0) < 0) ||
      (fds.output >= 0 && ::dup2(fds.output, 1) < 0) ||
      (fds.error >= 0 && ::dup2(fds.error, 2) < 0) ||
      (fds.key >= 0 && ::dup2(fds.key, kKeyDescriptor) < 0)) {
    ReportAndExit(statusFd, errno);
  }
  if (::chdir(launch.workDir.c_str()) != 0 && ::chdir("/") != 0) ReportAndExit(statusFd, errno);
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  ::sigaction(SIGPIPE, &defaultAction, nullptr);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  // The caller's descriptors (a socket, a lock file) must not live on in the tool.
  const unsigned firstClosed = fds.key >= 0 ? kKeyDescriptor + 1 : 3;
  if (::close_range(firstClosed, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (int fd = static_cast<int>(firstClosed); fd < 1024; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  ::execv(launch.hostExe.c_str(), argv);
  ReportAndExit(statusFd, errno);
}

// Starts a child that stays ours. posix_spawn shares this process's memory until the exec instead
// of copying its page tables: a fork would make this process pay a fault for every page it
// writes afterwards, which on a large address space costs more than the tool's own work.
pid_t SpawnAttached(const Launch& launch, char* const* argv, const ChildFds& fds) {
  const int sources[] = {fds.input, fds.output, fds.error, fds.key};
  const int targets[] = {0, 1, 2, kKeyDescriptor};
  // Placed from numbers above the standard ones, so placing one cannot overwrite another.
  int lifted[] = {-1, -1, -1, -1};
  bool ready = true;
  for (std::size_t i = 0; i < std::size(sources) && ready; ++i) {
    if (sources[i] >= 0) ready = (lifted[i] = ::fcntl(sources[i], F_DUPFD_CLOEXEC, 10)) >= 0;
  }
  int error = ready ? 0 : errno;
  pid_t pid = -1;
  if (ready) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    for (std::size_t i = 0; i < std::size(sources); ++i) {
      if (lifted[i] >= 0) posix_spawn_file_actions_adddup2(&actions, lifted[i], targets[i]);
    }
    struct stat dir {};
    const bool hasWorkDir = ::stat(launch.workDir.c_str(), &dir) == 0 && S_ISDIR(dir.st_mode);
    posix_spawn_file_actions_addchdir_np(&actions, hasWorkDir ? launch.workDir.c_str() : "/");
    // The caller's descriptors (a socket, a lock file) must not live on in the tool.
    posix_spawn_file_actions_addclosefrom_np(&actions, fds.key >= 0 ? kKeyDescriptor + 1 : 3);
    sigset_t none;
    sigset_t defaults;
    ::sigemptyset(&none);
    ::sigemptyset(&defaults);
    ::sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    error = ::posix_spawn(&pid, launch.hostExe.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }
  for (int fd : lifted) {
    if (fd >= 0) ::close(fd);
  }
  if (error != 0) {
    errno = error;
    return -1;
  }
  return pid;
}

// Starts the child; its pid (the middle process's when detached), or -1 when exec failed.
// Without nullStreams the child keeps this process's standard streams; with it, those not given
// in streams go to /dev/null.
pid_t Start(const Launch& launch, bool detached, bool nullStreams, ChildStreams streams = {}) {
  std::vector<char*> argv;
  for (const std::string& word : launch.words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);

  int keyFd = -1;
  if (launch.key) {
    keyFd = KeyPipe(*launch.key);
    if (keyFd < 0) return -1;
  }
  int nullFd = -1;
  if (nullStreams) {
    nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nullFd < 0) {
      if (keyFd >= 0) ::close(keyFd);
      return -1;
    }
  }
  ChildFds fds;
  fds.error = nullFd;
  fds.output = streams.output >= 0 ? streams.output : nullFd;
  fds.input = streams.input >= 0 ? streams.input : nullFd;
  if (launch.keyOnOwnDescriptor) {
    fds.key = keyFd;
  } else if (keyFd >= 0) {
    fds.input = keyFd;
  }
  if (!detached) {
    pid_t pid = SpawnAttached(launch, argv.data(), fds);
    int saved = errno;
    if (keyFd >= 0) ::close(keyFd);
    if (nullFd >= 0) ::close(nullFd);
    errno = saved;
    return pid;
  }
  int status[2];
  pid_t pid = -1;
  if (::pipe2(status, O_CLOEXEC) == 0) {
    pid = ::fork();
    if (pid == 0) ExecDetached(launch, argv.data(), fds, status[1]);
    ::close(status[1]);
  }
  int saved = errno;
  if (keyFd >= 0) ::close(keyFd);
  if (nullFd >= 0) ::close(nullFd);
  if (pid < 0) {
    errno = saved;
    return -1;
  }
  // The status pipe closes on a successful exec; an error number arrives when it failed.
  int error = 0;
  ssize_t n;
  do {
    n = ::read(status[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  ::close(status[0]);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (n == static_cast<ssize_t>(sizeof error)) {
    errno = error;
    return -1;
  }
  return pid;
}

// Waits at most timeoutMs until fd (a pidfd) is readable: 1 when the child has ended, 0 when it
// still runs, -1 when it cannot be watched.
int WaitReadable(int fd, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return -1;
    return ready == 0 ? 0 : 1;
  }
}

}  // namespace

int SpawnDetached(const std::string& windowsExe, const std::vector<std::string>& words) {
  std::optional<Launch> launch = Prepare(windowsExe, words);
  if (!launch) return -1;
  return Start(*launch, true, true) < 0 ? -1 : 0;
}

int RunAndWait(const std::string& windowsExe, const std::vector<std::string>& words) {
  std::optional<Launch> launch = Prepare(windowsExe, words);
  if (!launch) return -1;
  pid_t pid = Start(*launch, false, false);
  if (pid < 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int StartChild(const std::string& windowsExe, const std::vector<std::string>& words,
               const ChildStreams& streams) {
  std::optional<Launch> launch = Prepare(windowsExe, words, streams.input >= 0);
  if (!launch) return -1;
  return Start(*launch, false, true, streams);
}

int ReapChild(int pid, int* exitCode) {
  while (true) {
    int status = 0;
    pid_t got = ::waitpid(pid, &status, WNOHANG);
    if (got == 0) return 0;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (exitCode != nullptr) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return 1;
  }
}

int WaitChildFor(int pid, int timeoutMs) {
  int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (fd < 0) return -1;
  int result = WaitReadable(fd, timeoutMs);
  ::close(fd);
  return result;
}

void EndChild(int pid) {
  ::kill(pid, SIGTERM);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

int ReplaceProcess(const std::string& windowsExe, const std::vector<std::string>& words) {
  std::optional<Launch> launch = Prepare(windowsExe, words);
  if (!launch) return -1;
  std::vector<char*> argv;
  for (const std::string& word : launch->words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  int savedStdin = -1;
  if (launch->key) {
    int keyFd = KeyPipe(*launch->key);
    if (keyFd < 0) return -1;
    savedStdin = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    if (::dup2(keyFd, 0) < 0) {
      ::close(keyFd);
      if (savedStdin >= 0) ::close(savedStdin);
      return -1;
    }
    ::close(keyFd);
  }
  ::execv(launch->hostExe.c_str(), argv.data());
  int saved = errno;
  if (savedStdin >= 0) {
    ::dup2(savedStdin, 0);
    ::close(savedStdin);
  }
  errno = saved;
  return -1;
}

}  // namespace plat
