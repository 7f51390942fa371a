#include "client/transfer/WatchedChild.h"

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

void CWatchedChild::Stop() {
  if (pid_ == -1) return;
  plat::EndChild(pid_);
  pid_ = -1;
}

}  // namespace arkvale
