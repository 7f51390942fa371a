#include "client/transfer/WatchedChild.h"

#include <chrono>
#include <thread>

#include "platform/Process.h"

namespace arkvale {

bool CWatchedChild::Start(const std::string& installDirectory, ChildTool tool,
                          const std::vector<std::string>& words) {
  Stop();
  pid_ = plat::SpawnWatched(ChildToolPath(installDirectory, tool), words);
  return pid_ != -1;
}

bool CWatchedChild::Ended() {
  if (pid_ == -1) return true;
  if (!plat::ChildEnded(pid_)) return false;
  pid_ = -1;
  return true;
}

void CWatchedChild::WaitStep(int ms) {
  if (pid_ != -1 && plat::WaitChildFor(pid_, ms) >= 0) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void CWatchedChild::Stop() {
  if (pid_ == -1) return;
  plat::EndChild(pid_);
  pid_ = -1;
}

}  // namespace arkvale
