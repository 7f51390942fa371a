#pragma once
// Single instance: a lock that lives exactly as long as the process holding it (a crashed first
// instance never blocks the next start), and the place of the local socket through which a
// second start asks the first to come to the front. Both are named; the lock lives under the data
// root, the socket beside it wherever a socket's path allows.
#include <string>

namespace plat {

// The main program's lock: "CInstanceChecker_MMF_" followed by its application title. The wizard
// asks about it too, so the name lives here rather than with the main program's shell.
inline constexpr const char* kArkvaleInstanceName = "CInstanceChecker_MMF_arkvale";

class InstanceLock {
 public:
  enum class Result { Acquired, HeldElsewhere, Unavailable };

  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock without waiting. HeldElsewhere when another holder has it; Unavailable when
  // the lock file cannot be made. Acquired again when this object holds it already.
  Result TryAcquire(const std::string& name);
  bool held() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};

// True when some holder has the lock of that name now. Asks without taking it for good: the lock
// is tried shared and let go at once.
bool InstanceRunning(const std::string& name);

// Host path of the local socket of that name: beside the lock, or in $XDG_RUNTIME_DIR when that
// path would be too long for a socket.
std::string InstanceSocketPath(const std::string& name);

}  // namespace plat
