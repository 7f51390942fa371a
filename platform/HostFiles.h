#pragma once
// Host-path helpers shared inside the platform layer (not part of its contract).
#include <string>

namespace plat::host {

// Joins a host directory and a name with exactly one '/'.
std::string Join(const std::string& dir, const std::string& name);
// mkdir -p; true when the directory exists afterwards.
bool MakeDirectories(const std::string& hostDir);
// Temporary file beside hostPath, written, flushed to disk and renamed over hostPath; then the
// directory is flushed too. false (errno set) with nothing left behind on failure.
// A symbolic link at hostPath stays: its final target is written. A new file gets mode less the
// umask, an existing one keeps its mode; a mode without group or other bits (a secret's) is
// applied exactly in either case.
bool WriteAtomically(const std::string& hostPath, const std::string& content, unsigned mode);
// Copies a host file the same way (temp + rename), with the same modes.
bool CopyAtomically(const std::string& fromHost, const std::string& toHost, unsigned mode);
// A fresh name beside path, short whatever path's own name (unique in this process; creators
// use O_EXCL and try again).
std::string TemporaryNameBeside(const std::string& path);
// Opens a fresh temporary file beside target (exclusively), filling tempPath. A new file gets
// mode less the umask; a replaced regular file keeps its mode; a secret's mode is applied exactly.
int OpenTempBeside(const std::string& target, unsigned mode, std::string& tempPath);
// Flushes and closes fd, renames tempPath over target and flushes the directory; removes
// tempPath on failure (errno kept).
bool Commit(int fd, const std::string& tempPath, const std::string& target);
// Closes fd and removes tempPath, errno kept.
void Abandon(int fd, const std::string& tempPath);
// Puts a symbolic link at linkPath pointing to target, replacing what is there atomically.
bool ReplaceSymlink(const std::string& target, const std::string& linkPath);

}  // namespace plat::host
