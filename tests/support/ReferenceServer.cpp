#include "tests/support/ReferenceServer.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace arkvale::test {

namespace {

constexpr int kStartTimeoutMs = 15000;

std::vector<char*> Argv(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  return argv;
}

// Forks and runs the program with args; stdout goes to outFd (or /dev/null when -1).
pid_t Start(std::vector<std::string> words, int outFd) {
  std::vector<char*> argv = Argv(words);
  pid_t pid = fork();
  if (pid == 0) {
    if (outFd >= 0) dup2(outFd, STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

}  // namespace

std::string ReferenceServer::ProgramPath() {
  const char* build = std::getenv("ARKVALE_BUILD_DIR");
  return std::string(build ? build : ".") + "/bin/arkvale-server";
}

ReferenceServer::ReferenceServer(const std::string& dataDirectory,
                                 const std::vector<std::string>& extraOptions)
    : dataDirectory_(dataDirectory) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return;
  }
  std::vector<std::string> words{ProgramPath(), "--data", dataDirectory_, "--port", "0"};
  words.insert(words.end(), extraOptions.begin(), extraOptions.end());
  words.push_back("serve");
  pid_ = Start(words, pipeFds[1]);
  close(pipeFds[1]);
  std::string output;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  const std::string marker = "listening on port ";
  while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
    pollfd p{pipeFds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buffer[256];
    ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
    auto at = output.find(marker);
    if (at != std::string::npos && output.find('\n', at) != std::string::npos) {
      port_ = static_cast<uint16_t>(std::atoi(output.c_str() + at + marker.size()));
      break;
    }
  }
  outputFd_ = pipeFds[0];
  if (port_ == 0) ADD_FAILURE() << "arkvale-server did not start: " << output;
}

ReferenceServer::~ReferenceServer() {
  Stop();
  if (outputFd_ >= 0) close(outputFd_);
}

int ReferenceServer::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 100 && !ended; ++i) {
    ended = waitpid(pid_, &status, WNOHANG) == pid_;
    if (!ended) usleep(50000);
  }
  if (!ended) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  return status;
}

void ReferenceServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

int ReferenceServer::Account(const std::vector<std::string>& words) const {
  std::vector<std::string> all{ProgramPath(), "--data", dataDirectory_};
  all.insert(all.end(), words.begin(), words.end());
  pid_t pid = Start(all, -1);
  if (pid <= 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace arkvale::test
