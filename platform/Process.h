#pragma once
// Child processes. Words become the child's whole argument vector (no program name in front),
// exactly as given. A "-K", key pair is handed to the child through a pipe as "-k", "-" instead,
// so the key never shows in the process list.
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

// Starts like SpawnDetached but keeps the child as this process's own, so that its end can be
// seen: its pid, or -1. The caller reaps it with ChildEnded (until true) or EndChild.
int SpawnWatched(const std::string& windowsExe, const std::vector<std::string>& words);
// Whether a child of SpawnWatched has ended; once true it is reaped.
bool ChildEnded(int pid);
// Waits at most timeoutMs for a child of SpawnWatched to end, without reaping it: 1 when it has
// ended, 0 when it still runs, -1 when it cannot be watched (the caller sleeps instead).
int WaitChildFor(int pid, int timeoutMs);
// Ends a child of SpawnWatched (SIGTERM) and reaps it.
void EndChild(int pid);

// Start and wait; the exit code, or -1 when it could not be started or did not exit normally.
int RunAndWait(const std::string& windowsExe, const std::vector<std::string>& words);

// Replace the current process; returns -1 only on failure.
int ReplaceProcess(const std::string& windowsExe, const std::vector<std::string>& words);

}  // namespace plat
