#pragma once
// A one-connection server on 127.0.0.1 with a free port that follows a script, for exact replies,
// silence and closed connections. It records every byte it received. The script runs on a thread
// of its own; every wait in it is bounded, so a client that misbehaves cannot hang a test.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace arkvale::test {

class ScriptedServer {
 public:
  ScriptedServer();
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  // Script steps, run in the order given once a client connects.
  // Reads exactly expected.size() bytes; a difference or a shortfall is recorded as a failure.
  ScriptedServer& Expect(const std::string& expected);
  // Reads whatever one receive brings (at least one byte), e.g. encrypted credentials.
  ScriptedServer& ReceiveAny();
  ScriptedServer& Send(const std::string& bytes);
  // Answers nothing for the given time, still recording what arrives.
  ScriptedServer& StaySilent(int milliseconds);
  // Closes the connection; later steps are not run.
  ScriptedServer& Close();

  // Starts listening and running the script (steps added later are not seen).
  void Start();
  uint16_t port() const { return port_; }

  // Waits (bounded) until the script has ended and the connection is closed by either side.
  bool WaitFinished(int timeoutMs = 20000);

  std::string received() const;
  // Mismatches and time-outs met by the script, empty when it ran as written.
  std::vector<std::string> failures() const;
  bool connected() const { return connected_; }

 private:
  enum class Kind { Expect, ReceiveAny, Send, Silent, Close };
  struct Step {
    Kind kind;
    std::string bytes;
    int milliseconds = 0;
  };

  void Run();
  bool WaitInput(int fd, int timeoutMs);
  bool ReadExactly(int fd, std::size_t count, std::string& out, int timeoutMs);
  void RecordFailure(const std::string& text);
  void Append(const char* data, std::size_t length);

  std::vector<Step> steps_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
  std::atomic<bool> connected_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::string received_;
  std::vector<std::string> failures_;
};

}  // namespace arkvale::test
