#pragma once
// The compressor and the encryptor of the installation directory, run as child processes: either
// working on files, the caller waiting for the file a child leaves behind (looking again the
// moment the child ends), or joined by descriptors into a pipeline whose exit codes tell.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "client/settings/Prompt.h"

namespace arkvale {

class EventLog;

enum class ChildTool { Gzip, Ccrypt };

// The temporary files the children work on. The backup's ".gz" is no longer made (the compressor
// writes into the encryptor); a leftover of an older run is still removed.
inline constexpr const char* kBackupTempFile = "C:\\temp_filexyz555";
inline constexpr const char* kBackupTempGz = "C:\\temp_filexyz555.gz";
inline constexpr const char* kBackupTempCpt = "C:\\temp_filexyz555.gz.cpt";
inline constexpr const char* kCredentialsFile = "C:\\user_password";
inline constexpr const char* kCredentialsCpt = "C:\\user_password.cpt";

inline constexpr const char* kSpawnError = "Error on spawn";
inline constexpr const char* kCredentialsSpawnError = "Error here on spawn";
inline constexpr const char* kDebuggingCaption = "Debugging";

// Polling step of every wait for a child's file.
inline constexpr int kChildPollMs = 50;

// Where a child's standard input and output go: a descriptor of the caller's (the child gets
// its own copy, so the caller closes this one when it likes), or -1 for /dev/null. Standard error
// always goes to /dev/null.
struct ChildStreams {
  int input = -1;
  int output = -1;
};

// A child tool of this process, started, watched and reaped through one object. The words are
// the child's whole command line, the first standing in its own name's place. A "-K", key pair
// never reaches the command line: the key comes through a pipe of its own ("-k", "-" on standard
// input, or "-k", "/dev/fd/3" when standard input carries data). Move-only. A default one, or one
// whose start failed, never reports an end, and its waits are plain sleeps. A child still running
// when the object goes is given a moment to finish and then ended.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts the tool of the installation directory; false when the executable is missing or
  // cannot be started. A child this object held before is ended first.
  bool Start(const std::string& installDirectory, ChildTool tool,
             const std::vector<std::string>& words, const ChildStreams& streams = {});
  bool started() const { return pid_ != -1 || ended_; }

  // Sleeps ms, less when the child ends meanwhile (at once when it has ended); true once the
  // child has ended.
  bool WaitStep(int ms);
  // Looks without waiting; true once the child has ended.
  bool ended();
  // Once ended: its exit code, or -1 when a signal ended it (Stop included).
  int exitCode() const { return exitCode_; }
  // Ends a child still running (SIGTERM) and reaps it.
  void Stop();

 private:
  int pid_ = -1;
  bool ended_ = false;
  int exitCode_ = -1;
};

// installDirectory + "\gzip.exe" or "\ccrypt.exe".
std::string ChildToolPath(const std::string& installDirectory, ChildTool tool);

// Starts the tool detached, not to be watched, with the words as its whole command line (the first
// word takes the place of the program's name). -1 when the executable is missing or cannot be
// started, 0 otherwise.
int SpawnChild(const std::string& installDirectory, ChildTool tool,
               const std::vector<std::string>& words);
// The same as child.Start: 0, or -1 with child left a default one.
int SpawnChild(const std::string& installDirectory, ChildTool tool,
               const std::vector<std::string>& words, ChildProcess& child);

// The wait for a child's file: until done() holds, in steps of kChildPollMs (tick() before each,
// for the progress bars), a step cut short when the child ends. Ends without done() when limit
// has passed or when the child has ended and a last look still finds no file. True when done().
bool AwaitChildFile(ChildProcess& child, std::chrono::milliseconds limit,
                    const std::function<bool()>& done, const std::function<void()>& tick = {});

// The wait for a child's end: in steps of kChildPollMs (tick() before each), cut short when it
// ends. False when limit passed first.
bool AwaitChildEnd(ChildProcess& child, std::chrono::milliseconds limit,
                   const std::function<void()>& tick = {});

// The words of each caller. The first word of each is read by the child as its own name (the
// file-based ones are the historical command lines, whose first word is lost that way).
// Backup, gzip: compress C:\temp_filexyz555 to standard output, the file left in place.
std::vector<std::string> BackupCompressWords();
// Backup, ccrypt: encrypt standard input to standard output under the user's key (the key on its
// own descriptor).
std::vector<std::string> BackupEncryptWords(const std::string& key);
// Login, ccrypt: encrypt C:\user_password under the built-in key; await the ".cpt".
std::vector<std::string> CredentialsEncryptWords(const std::string& key);
// Restore, ccrypt: decrypt standard input to standard output (the key on its own descriptor).
std::vector<std::string> RestoreDecryptWords(const std::string& key);
// Restore, gzip: decompress standard input to standard output.
std::vector<std::string> RestoreDecompressWords();

// Who failed to start a child; each reports it in its own way.
enum class SpawnCaller {
  ManualBackupGzip,
  ManualBackupCcrypt,
  AutomaticBackupGzip,
  AutomaticBackupCcrypt,
  RestoreCcrypt,
  RestoreGzip,
  EncryptCredentials,
};

// Reports a -1 from SpawnChild as the caller does: a box "Error on spawn" (caption "Arkvale", or
// "Debugging" for the restore's decryption), a level-2 log line "Error on spawn" (automatic
// backup's encryption), or both with the box "Error here on spawn" captioned with the
// application title (credentials). Boxes of the runs have no owner; the credentials' box takes
// credentialsOwner.
void ReportSpawnFailure(SpawnCaller caller, Prompt& prompt, EventLog& log,
                        Owner credentialsOwner = Owner::MainWindow);

}  // namespace arkvale
