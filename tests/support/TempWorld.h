#pragma once
// A temporary Windows world for one test: its own data root with a fresh drive table, so no test
// touches the real home directory. C: is <root>/drive_c; Z: stays the host's "/".
#include <string>

namespace arkvale::test {

class TempWorld {
 public:
  TempWorld();
  ~TempWorld();
  TempWorld(const TempWorld&) = delete;
  TempWorld& operator=(const TempWorld&) = delete;

  const std::string& root() const { return root_; }
  // Host path of drive C:'s root.
  std::string driveC() const { return root_ + "/drive_c"; }
  // Writes a host file (creating parent directories).
  static void WriteHostFile(const std::string& hostPath, const std::string& content);
  static std::string ReadHostFile(const std::string& hostPath);

 private:
  std::string root_;
};

}  // namespace arkvale::test
