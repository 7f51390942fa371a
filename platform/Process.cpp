#include "platform/Process.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The descriptors a child starts with: standard streams (-1 leaves one as it is), the key's own
// descriptor, and the end descriptor held open for the child's life.
struct ChildFds {
  int input = -1;
  int output = -1;
  int error = -1;
  int key = -1;
  int end = -1;
};

// Moves fd above the numbers being placed, so that placing one cannot overwrite another.
int Lift(int fd, int statusFd) {
  if (fd < 0) return -1;
  int lifted = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
  if (lifted < 0) ReportAndExit(statusFd, errno);
  return lifted;
}

// Runs in the forked child; never returns.
[[noreturn]] void ExecChild(const Launch& launch, char* const* argv, ChildFds fds, int statusFd,
                            bool detached) {
  if (detached) {
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild < 0) ReportAndExit(statusFd, errno);
    // The middle process ends at once; the grandchild belongs to init, which reaps it.
    if (grandchild > 0) ::_exit(0);
  }
  statusFd = Lift(statusFd, statusFd);
  for (int* fd : {&fds.input, &fds.output, &fds.error, &fds.key, &fds.end}) {
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
  // Held open by the tool for its whole life: its end closes the last write end.
  if (fds.end >= 0 && ::fcntl(fds.end, F_SETFD, 0) != 0) ReportAndExit(statusFd, errno);
  ::execv(launch.hostExe.c_str(), argv);
  ReportAndExit(statusFd, errno);
}

// Starts the child; its pid (the middle process's when detached), or -1 when exec failed.
// Without nullStreams the child keeps this process's standard streams; with it, those not given
// in streams go to /dev/null.
pid_t Start(const Launch& launch, bool detached, bool nullStreams, int endFd = -1,
            ChildStreams streams = {}) {
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
  fds.end = endFd;
  fds.error = nullFd;
  fds.output = streams.output >= 0 ? streams.output : nullFd;
  fds.input = streams.input >= 0 ? streams.input : nullFd;
  if (launch.keyOnOwnDescriptor) {
    fds.key = keyFd;
  } else if (keyFd >= 0) {
    fds.input = keyFd;
  }
  int status[2];
  pid_t pid = -1;
  if (::pipe2(status, O_CLOEXEC) == 0) {
    pid = ::fork();
    if (pid == 0) ExecChild(launch, argv.data(), fds, status[1], detached);
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
  if (detached) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  if (n == static_cast<ssize_t>(sizeof error)) {
    if (!detached) {
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
    errno = error;
    return -1;
  }
  return pid;
}

}  // namespace

int SpawnDetached(const std::string& windowsExe, const std::vector<std::string>& words) {
  std::optional<Launch> launch = Prepare(windowsExe, words);
  if (!launch) return -1;
  return Start(*launch, true, true) < 0 ? -1 : 0;
}

int SpawnDetached(const std::string& windowsExe, const std::vector<std::string>& words,
                  int* endFd) {
  *endFd = -1;
  std::optional<Launch> launch = Prepare(windowsExe, words);
  if (!launch) return -1;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return -1;
  if (ends[1] < 3) {
    // A process started with closed standard streams: keep the child's end off 0 to 2.
    int moved = ::fcntl(ends[1], F_DUPFD_CLOEXEC, 3);
    ::close(ends[1]);
    ends[1] = moved;
    if (moved < 0) {
      ::close(ends[0]);
      return -1;
    }
  }
  pid_t pid = Start(*launch, true, true, ends[1]);
  int saved = errno;
  ::close(ends[1]);
  if (pid < 0) {
    ::close(ends[0]);
    errno = saved;
    return -1;
  }
  *endFd = ends[0];
  return 0;
}

int WaitChildEnd(int endFd, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{endFd, POLLIN, 0};
    int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return -1;
    // Nothing is ever written: readable means every write end is closed, the child is gone.
    return ready == 0 ? 0 : 1;
  }
}

void CloseChildEnd(int endFd) {
  if (endFd >= 0) ::close(endFd);
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
  return Start(*launch, false, true, -1, streams);
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
  int result = WaitChildEnd(fd, timeoutMs);
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
