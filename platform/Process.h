#pragma once
// Child processes. Words become the child's whole argument vector (no program name in front),
// exactly as given. A "-K", key pair is handed to the child through a pipe as "-k", "-" (or, where
// standard input carries data, "-k", "/dev/fd/3") instead, so the key never shows in the process
// list.
#include <string>
#include <vector>

namespace plat {

// Detached start: standard streams on /dev/null, reaped in the background (no zombies).
// -1 when the executable (a Windows path) does not exist or cannot be started, else 0.
int SpawnDetached(const std::string& windowsExe, const std::vector<std::string>& words);
// The same, and *endFd receives a descriptor (close-on-exec, the caller closes it) that reads
// end of file the moment the child has ended; -1 in *endFd when the start failed.
int SpawnDetached(const std::string& windowsExe, const std::vector<std::string>& words, int* endFd);
// Waits at most timeoutMs on such a descriptor: 1 when the child has ended, 0 when it still
// runs, -1 when the descriptor cannot be watched.
int WaitChildEnd(int endFd, int timeoutMs);
// Closes such a descriptor.
void CloseChildEnd(int endFd);

// Descriptors for a child's standard input and output; -1 is /dev/null. The child gets copies:
// the caller closes its own when it likes.
struct ChildStreams {
  int input = -1;
  int output = -1;
};
// Starts a child of this process's own, standard error on /dev/null: its pid, or -1. With an
// input given, a "-K", key pair becomes "-k", "/dev/fd/3", the key on that descriptor of its own;
// otherwise as above. The caller reaps it with ReapChild (until 1) or EndChild.
int StartChild(const std::string& windowsExe, const std::vector<std::string>& words,
               const ChildStreams& streams = {});
// Without waiting: 1 when a child of StartChild has ended (now reaped; *exitCode, when given, is
// its exit code, or -1 after a signal), 0 while it runs, -1 when it is no child of ours.
int ReapChild(int pid, int* exitCode = nullptr);
// Waits at most timeoutMs for a child of StartChild to end, without reaping it: 1 when it has
// ended, 0 when it still runs, -1 when it cannot be watched (the caller sleeps instead).
int WaitChildFor(int pid, int timeoutMs);
// Ends a child of StartChild (SIGTERM) and reaps it.
void EndChild(int pid);

// Start and wait; the exit code, or -1 when it could not be started or did not exit normally.
int RunAndWait(const std::string& windowsExe, const std::vector<std::string>& words);

// Replace the current process; returns -1 only on failure.
int ReplaceProcess(const std::string& windowsExe, const std::vector<std::string>& words);

}  // namespace plat
