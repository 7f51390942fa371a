#pragma once
// Backup set files (*.bak): a saved selection. Text lines: the number of directories, one
// directory path per line, the number of files, one file path per line.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/selection/Selection.h"
#include "client/settings/Prompt.h"

namespace arkvale {

// Writes an event-log entry (level 0 information, 1 warning, 2 error).
using LogWriter = std::function<void(int level, const std::string& text)>;

enum class BackupSetError { None, NumberOfDirectories, NameOfDirectory, NumberOfFiles, NameOfFile };
// "Error reading number of directories" and its siblings.
const char* BackupSetErrorText(BackupSetError error);

// The reading rule shared by the load command and the automatic backup: each line is read into a
// 1000-byte buffer (a longer line continues as the next read) and loses its line end;
// counts are taken as atoi takes them, and a count below 1 means no lines in that section.
// Stops at the first line that cannot be read and says which one it was.
BackupSetError ReadBackupSet(FILE* stream,
                             const std::function<void(const std::string&)>& onDirectory,
                             const std::function<void(const std::string&)>& onFile);

struct BackupSetContents {
  std::vector<std::string> directories;
  std::vector<std::string> files;
  BackupSetError error = BackupSetError::None;  // the lines before the failure are kept
};
// nullopt when the file cannot be opened.
std::optional<BackupSetContents> ReadBackupSetFile(const std::string& windowsPath);

std::string FormatBackupSet(const std::vector<ChosenDirectory>& directories,
                            const std::vector<ChosenFile>& files);

// A file record made from a line of a backup set: its directory ends with a backslash.
ChosenFile ChosenFileFromSetLine(const std::string& line);

// Shows "No files or directories chosen for backup" and returns true when nothing is chosen.
bool ReportNothingChosen(const CSelection& selection, Prompt& prompt, Owner owner);

// Writes the selection to path atomically; false after logging and showing the failure.
bool SaveBackupSet(const CSelection& selection, const std::string& windowsPath, Prompt& prompt,
                   const LogWriter& log);

enum class LoadOutcome {
  NotOpened,  // reported; the selection is unchanged
  Stopped,    // a line was missing: reported, the records read so far stay
  Loaded,
};
// Replaces the selection by the set in path. resetTree runs after the lists are emptied and the
// file list was told to refill, before the set is read; the caller finishes a Loaded set by
// collapsing the tree.
LoadOutcome LoadBackupSet(CSelection& selection, const std::string& windowsPath, Prompt& prompt,
                          const LogWriter& log, const std::function<void()>& resetTree);

}  // namespace arkvale
