#include "client/transfer/RestoreTarget.h"

#include <vector>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace arkvale {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Puts the current drive and directory back, also the current directory of the target's drive,
// so that relative names (the index file) resolve as before the walk.
class CurrentDirectoryKeeper {
 public:
  CurrentDirectoryKeeper() : before_(plat::GetCurrentDirectory()) {}
  ~CurrentDirectoryKeeper() {
    if (!targetDriveBefore_.empty()) plat::ChangeDirectory(targetDriveBefore_);
    plat::ChangeDirectory(before_);
  }
  // Called once the target's drive is current.
  void NoteTargetDrive() { targetDriveBefore_ = plat::GetCurrentDirectory(); }

 private:
  std::string before_;
  std::string targetDriveBefore_;
};

}  // namespace

TargetDirectory PrepareTargetDirectory(const std::string& target,
                                       const std::optional<plat::HostPath>& place) {
  if (place && plat::DirectoryOfExists(*place)) return TargetDirectory::Ready;
  // Refused before the walk, which would make the directories in front of the "..".
  if (!plat::FullWindowsPath(target)) return TargetDirectory::Refused;
  // Split like _splitpath: an optional "X:", then everything up to the last separator.
  std::string drive;
  std::string rest = target;
  if (target.size() >= 2 && target[1] == ':') {
    drive = target.substr(0, 2);
    rest = target.substr(2);
  }
  std::string::size_type last = rest.find_last_of("\\/");
  std::string directory = last == std::string::npos ? std::string() : rest.substr(0, last + 1);

  CurrentDirectoryKeeper keeper;
  const int driveNumber = drive.empty() ? 0 : static_cast<unsigned char>(drive[0]) - 64;
  if (plat::ChangeDrive(driveNumber) != 0) return TargetDirectory::DriveFailed;
  keeper.NoteTargetDrive();
  plat::ChangeDirectory("\\");
  std::string part;
  for (std::size_t i = 0; i <= directory.size(); ++i) {
    if (i < directory.size() && !IsSeparator(directory[i])) {
      part += directory[i];
      continue;
    }
    if (part.empty()) continue;
    if (plat::ChangeDirectory(part) != 0 &&
        (plat::MakeDirectory(part) != 0 || plat::ChangeDirectory(part) != 0)) {
      return TargetDirectory::DirectoryFailed;
    }
    part.clear();
  }
  return TargetDirectory::Ready;
}

}  // namespace arkvale
