#pragma once
// Process-wide flags shared by the user-interface thread and the run threads.
#include <atomic>

namespace arkvale {

// Set while a run of that kind is under way; its dialog refuses to close meanwhile.
inline std::atomic<bool> backupInProgress{false};
inline std::atomic<bool> restoreInProgress{false};
inline std::atomic<bool> deleteInProgress{false};
// Keeps the schedule check idle, set for the whole exchange of a manual backup.
inline std::atomic<bool> scheduleSuspended{false};

}  // namespace arkvale
