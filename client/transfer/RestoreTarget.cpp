#include "client/transfer/RestoreTarget.h"

#include <vector>

#include "client/document/ArkvaleDoc.h"
#include "client/transfer/FileCopy.h"
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

void RestoreFailures::NotRestored(const std::string& target, const std::string& reason) {
  Add("File " + target + " was not restored: " + reason);
}

void RestoreFailures::Add(const std::string& logText) {
  doc_.Log(kLogError, logText);
  ++count_;
}

CInPlaceDestination::CInPlaceDestination(CArkvaleDoc& doc) : doc_(doc), prompt_(doc.prompt()) {}

std::optional<plat::HostPath> CInPlaceDestination::Prepare(const IndexEntry& row,
                                                           RestoreFailures& failures) {
  const std::string& target = row.name;
  // Translated once; every later step on the target uses this.
  const std::optional<plat::HostPath> place = plat::Resolve(target);
  // A symbolic link in the target's place is replaced like a file, never written through.
  const std::optional<plat::FileStatus> existing = place ? plat::StatEntry(*place) : std::nullopt;
  // Only a file is ever replaced: a directory, device, FIFO or socket in its place stays.
  if (existing && !existing->isFile && !existing->isLink) {
    failures.NotRestored(target, "something other than a file is in its place");
    return std::nullopt;
  }
  if (existing && !prompt_.AskYesNo(target + "\nFile exists!\n Do you want to overwrite it?",
                                    kCaption, Icon::Question, Owner::None)) {
    return std::nullopt;
  }
  switch (PrepareTargetDirectory(target, place)) {
    case TargetDirectory::Ready:
      break;
    case TargetDirectory::DriveFailed:
      prompt_.ShowMessage(kDriveChangeError, kCaption, Icon::Error, Owner::None);
      failures.Add(std::string(kDriveChangeError) + ": " + target);
      return std::nullopt;
    case TargetDirectory::DirectoryFailed:
      failures.Add(std::string(kMakeDirectoryError) + ": " + target);
      return std::nullopt;
    case TargetDirectory::Refused:
      failures.NotRestored(target, "its path leads outside its drive");
      return std::nullopt;
  }
  if (!place) {
    failures.NotRestored(target, "its drive is not known");
    return std::nullopt;
  }
  // A dangling link has nothing to keep.
  keepsOld_ = existing && (existing->isFile || plat::StatFile(*place));
  return place;
}

void CInPlaceDestination::Finish(const IndexEntry& row, const plat::HostPath& prepared,
                                 plat::Replacement& restored, RestoreFailures& failures) {
  // The old content is kept aside as well, though the file itself is only ever replaced whole.
  if (keepsOld_) {
    my_file_copy(row.name, kRestoreSafetyCopy, prompt_, doc_.eventLog, Owner::RestoreDialog);
  }
  if (!restored.Commit()) {
    failures.NotRestored(row.name, "it could not be written to its place");
    return;
  }
  plat::SetModificationTime(prepared, row.modified);
}

}  // namespace arkvale
