#pragma once
// A child tool whose end the caller can see, so that no wait for its file outlives it. A child
// still running when the object goes is ended then.
#include <string>
#include <vector>

#include "client/session/ChildTools.h"

namespace arkvale {

class CWatchedChild {
 public:
  CWatchedChild() = default;
  ~CWatchedChild() { Stop(); }
  CWatchedChild(const CWatchedChild&) = delete;
  CWatchedChild& operator=(const CWatchedChild&) = delete;

  // Starts the tool of the installation directory with the words as its whole command line;
  // false when it could not be started.
  bool Start(const std::string& installDirectory, ChildTool tool,
             const std::vector<std::string>& words);
  // True once the child has ended, and for a child that never started.
  bool Ended();
  // Sleeps ms, cut short the moment a running child ends (so its output is taken at once); a
  // whole step when it has ended already or never started.
  void WaitStep(int ms);
  // Ends the child if it is still running.
  void Stop();

 private:
  int pid_ = -1;
};

}  // namespace arkvale
