#include "tests/support/ScriptedServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace arkvale::test {

namespace {

constexpr int kStepTimeoutMs = 15000;
constexpr int kAcceptTimeoutMs = 20000;

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Waits for input on fd for at most timeoutMs; true when there is something to read.
bool WaitReadable(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs) > 0;
}

}  // namespace

ScriptedServer::ScriptedServer() = default;

ScriptedServer::~ScriptedServer() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

ScriptedServer& ScriptedServer::Expect(const std::string& expected) {
  steps_.push_back({Kind::Expect, expected});
  return *this;
}

ScriptedServer& ScriptedServer::ReceiveAny() {
  steps_.push_back({Kind::ReceiveAny, {}});
  return *this;
}

ScriptedServer& ScriptedServer::Send(const std::string& bytes) {
  steps_.push_back({Kind::Send, bytes});
  return *this;
}

ScriptedServer& ScriptedServer::StaySilent(int milliseconds) {
  steps_.push_back({Kind::Silent, {}, milliseconds});
  return *this;
}

ScriptedServer& ScriptedServer::Close() {
  steps_.push_back({Kind::Close, {}});
  return *this;
}

void ScriptedServer::Start() {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener_, 4) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    RecordFailure("cannot listen");
    finished_ = true;
    return;
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

void ScriptedServer::Run() {
  int fd = -1;
  long long deadline = NowMs() + kAcceptTimeoutMs;
  while (!stopping_ && NowMs() < deadline) {
    if (WaitReadable(listener_, 100)) {
      fd = ::accept(listener_, nullptr, nullptr);
      break;
    }
  }
  if (fd < 0) {
    if (!stopping_) RecordFailure("no client connected");
    finished_ = true;
    return;
  }
  connected_ = true;
  bool closed = false;
  for (const Step& step : steps_) {
    if (stopping_) break;
    if (step.kind == Kind::Expect) {
      std::string got;
      if (!ReadExactly(fd, step.bytes.size(), got, kStepTimeoutMs)) {
        RecordFailure("expected \"" + step.bytes + "\", got only \"" + got + "\"");
        break;
      }
      if (got != step.bytes) RecordFailure("expected \"" + step.bytes + "\", got \"" + got + "\"");
    } else if (step.kind == Kind::ReceiveAny) {
      char buffer[4096];
      long n = WaitInput(fd, kStepTimeoutMs) ? ::recv(fd, buffer, sizeof buffer, 0) : -1;
      if (n <= 0) {
        RecordFailure("nothing received");
        break;
      }
      Append(buffer, static_cast<std::size_t>(n));
    } else if (step.kind == Kind::Send) {
      if (::send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL) !=
          static_cast<long>(step.bytes.size())) {
        RecordFailure("send failed");
        break;
      }
    } else if (step.kind == Kind::Silent) {
      long long end = NowMs() + step.milliseconds;
      while (!stopping_ && NowMs() < end) {
        if (!WaitReadable(fd, static_cast<int>(std::min<long long>(end - NowMs(), 100)))) continue;
        char buffer[4096];
        long n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        Append(buffer, static_cast<std::size_t>(n));
      }
    } else {
      ::close(fd);
      closed = true;
      break;
    }
  }
  if (!closed) {
    // Keep recording until the client closes, so a test sees its last words (e.g. "DISCONNECT").
    long long end = NowMs() + kStepTimeoutMs;
    while (!stopping_ && NowMs() < end) {
      if (!WaitReadable(fd, 100)) continue;
      char buffer[4096];
      long n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      Append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
  }
  finished_ = true;
}

bool ScriptedServer::ReadExactly(int fd, std::size_t count, std::string& out, int timeoutMs) {
  long long deadline = NowMs() + timeoutMs;
  while (out.size() < count) {
    long long left = deadline - NowMs();
    if (left <= 0 || !WaitInput(fd, static_cast<int>(left))) return false;
    char buffer[4096];
    std::size_t want = std::min(sizeof buffer, count - out.size());
    long n = ::recv(fd, buffer, want, 0);
    if (n <= 0) return false;
    out.append(buffer, static_cast<std::size_t>(n));
    Append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

bool ScriptedServer::WaitInput(int fd, int timeoutMs) {
  // In short slices, so that a test that ends early does not wait for the whole step.
  long long deadline = NowMs() + timeoutMs;
  while (!stopping_) {
    long long left = deadline - NowMs();
    if (left <= 0) return false;
    if (WaitReadable(fd, static_cast<int>(std::min<long long>(left, 100)))) return true;
  }
  return false;
}

bool ScriptedServer::WaitFinished(int timeoutMs) {
  long long deadline = NowMs() + timeoutMs;
  while (!finished_ && NowMs() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return finished_;
}

void ScriptedServer::RecordFailure(const std::string& text) {
  std::lock_guard lock(mutex_);
  failures_.push_back(text);
}

void ScriptedServer::Append(const char* data, std::size_t length) {
  std::lock_guard lock(mutex_);
  received_.append(data, length);
}

std::string ScriptedServer::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::vector<std::string> ScriptedServer::failures() const {
  std::lock_guard lock(mutex_);
  return failures_;
}

}  // namespace arkvale::test
