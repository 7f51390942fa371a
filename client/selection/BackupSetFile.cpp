#include "client/selection/BackupSetFile.h"

#include <cstdlib>
#include <memory>

#include "client/selection/SelectionPaths.h"
#include "platform/Files.h"
#include "platform/TextFile.h"

namespace arkvale {

namespace {

constexpr std::size_t kLineBuffer = 1000;

// One section: a count line, then that many lines (none for a count below 1, or text that atoi
// takes as 0). None, or the error of the line that could not be read.
BackupSetError ReadSection(FILE* stream, BackupSetError countError, BackupSetError lineError,
                           const std::function<void(const std::string&)>& onLine) {
  auto countLine = plat::ReadValueLine(stream, kLineBuffer);
  if (!countLine) return countError;
  const int count = std::atoi(countLine->c_str());
  for (int i = 0; i < count; ++i) {
    auto line = plat::ReadValueLine(stream, kLineBuffer);
    if (!line) return lineError;
    onLine(*line);
  }
  return BackupSetError::None;
}

struct StreamCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

const char* BackupSetErrorText(BackupSetError error) {
  switch (error) {
    case BackupSetError::NumberOfDirectories:
      return "Error reading number of directories";
    case BackupSetError::NameOfDirectory:
      return "Error reading name of directory";
    case BackupSetError::NumberOfFiles:
      return "Error reading number of files";
    case BackupSetError::NameOfFile:
      return "Error reading name of file";
    case BackupSetError::None:
      break;
  }
  return "";
}

BackupSetError ReadBackupSet(FILE* stream,
                             const std::function<void(const std::string&)>& onDirectory,
                             const std::function<void(const std::string&)>& onFile) {
  BackupSetError error = ReadSection(stream, BackupSetError::NumberOfDirectories,
                                     BackupSetError::NameOfDirectory, onDirectory);
  if (error != BackupSetError::None) return error;
  return ReadSection(stream, BackupSetError::NumberOfFiles, BackupSetError::NameOfFile, onFile);
}

std::optional<BackupSetContents> ReadBackupSetFile(const std::string& windowsPath) {
  std::unique_ptr<FILE, StreamCloser> stream(plat::OpenStream(windowsPath, "r"));
  if (!stream) return std::nullopt;
  BackupSetContents contents;
  contents.error = ReadBackupSet(
      stream.get(), [&](const std::string& line) { contents.directories.push_back(line); },
      [&](const std::string& line) { contents.files.push_back(line); });
  return contents;
}

std::string FormatBackupSet(const std::vector<ChosenDirectory>& directories,
                            const std::vector<ChosenFile>& files) {
  std::string text = std::to_string(directories.size()) + "\n";
  for (const auto& d : directories) text += d.path + "\n";
  text += std::to_string(files.size()) + "\n";
  for (const auto& f : files) text += f.fullPath + "\n";
  return text;
}

ChosenFile ChosenFileFromSetLine(const std::string& line) {
  return ChosenFile{line, DirectoryPart(line), NamePart(line), FileSizeOf(line)};
}

bool ReportNothingChosen(const CSelection& selection, Prompt& prompt, Owner owner) {
  if (!selection.NothingChosen()) return false;
  prompt.ShowMessage("No files or directories chosen for backup", kApplicationTitle, Icon::None,
                     owner);
  return true;
}

bool SaveBackupSet(const CSelection& selection, const std::string& windowsPath, Prompt& prompt,
                   const LogWriter& log) {
  std::string content = FormatBackupSet(selection.chosenDirectories, selection.chosenFiles);
  if (plat::WriteFileAtomically(windowsPath, content)) return true;
  std::string text = "Error opening " + windowsPath + " for writing";
  log(2, text);
  prompt.ShowMessage(text, kCaption, Icon::Error, Owner::MainWindow);
  return false;
}

LoadOutcome LoadBackupSet(CSelection& selection, const std::string& windowsPath, Prompt& prompt,
                          const LogWriter& log, const std::function<void()>& resetTree) {
  std::unique_ptr<FILE, StreamCloser> stream(plat::OpenStream(windowsPath, "r"));
  if (!stream) {
    std::string text = "Error opening " + windowsPath + " for reading";
    log(2, text);
    prompt.ShowMessage(text, kCaption, Icon::Error, Owner::MainWindow);
    return LoadOutcome::NotOpened;
  }
  selection.ClearSelection();
  selection.UpdateAllViews(nullptr, SelectionHint::Directory(selection.currentDirectory));
  resetTree();
  selection.UpdateAllViews(nullptr, SelectionHint::Refresh());
  BackupSetError error = ReadBackupSet(
      stream.get(),
      [&](const std::string& line) {
        selection.chosenDirectories.push_back(ChosenDirectory{line});
      },
      [&](const std::string& line) {
        selection.chosenFiles.push_back(ChosenFileFromSetLine(line));
      });
  if (error != BackupSetError::None) {
    prompt.ShowMessage(BackupSetErrorText(error), kApplicationTitle, Icon::None, Owner::MainWindow);
    return LoadOutcome::Stopped;
  }
  selection.UpdateAllViews(nullptr, SelectionHint::Refresh());
  return LoadOutcome::Loaded;
}

}  // namespace arkvale
