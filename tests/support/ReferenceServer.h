#pragma once
// The reference server arkvale-server of this build, started on a free port over a data
// directory of the test's own, and stopped (SIGTERM) when the object goes.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace arkvale::test {

class ReferenceServer {
 public:
  // Waits (bounded) until the server listens; running() tells whether it did.
  explicit ReferenceServer(const std::string& dataDirectory,
                           const std::vector<std::string>& extraOptions = {});
  ~ReferenceServer();
  ReferenceServer(const ReferenceServer&) = delete;
  ReferenceServer& operator=(const ReferenceServer&) = delete;

  bool running() const { return port_ != 0; }
  uint16_t port() const { return port_; }
  const std::string& dataDirectory() const { return dataDirectory_; }

  // SIGTERM and wait (bounded, then SIGKILL); the status waitpid reported, or -1 when the
  // server was not running. The destructor does the same.
  int Stop();
  // SIGKILL: the server gets no chance to tidy up.
  void Kill();
  pid_t pid() const { return pid_; }

  // Runs an account command of the program on the same data directory (add-user, set-quota,
  // ...); its exit code, or -1 when it could not run.
  int Account(const std::vector<std::string>& words) const;

  // The program in the build tree ($ARKVALE_BUILD_DIR/bin/arkvale-server).
  static std::string ProgramPath();

 private:
  std::string dataDirectory_;
  pid_t pid_ = -1;
  // Kept open so that later output of the server never meets a closed pipe.
  int outputFd_ = -1;
  uint16_t port_ = 0;
};

}  // namespace arkvale::test
