#pragma once
// The backup run: offers every chosen file to the server, one at a time, and sends those it asks
// for, copied, compressed and encrypted under the user's key. Each run is a worker thread's
// routine; both return 0 after a complete run and 1 after a run that ended early.
#include <string>

#include "client/selection/Selection.h"
#include "client/transfer/BackupProgress.h"

namespace arkvale {

class CArkvaleDoc;
class CSession;

inline constexpr const char* kBackupStopFile = "C:\\backup_stop_file_name123";

// Waits for a child tool are bounded: this long, plus kChildWaitPerMegabyteMs for every
// 1000000 bytes of the file, after which the run goes on as if the tool had left nothing.
inline constexpr int kChildWaitBaseMs = 60000;
inline constexpr int kChildWaitPerMegabyteMs = 1000;

// The schedule check and the keep-alive fall on the same timer tick every five minutes; the
// automatic run waits this long for a short exchange to let go of the communications lock
// before it counts the lock as busy.
inline constexpr int kAutomaticLockWaitMs = 8000;
inline constexpr int kAutomaticLockPollMs = 250;

// The manual run, started by the Backup dialog with backupInProgress set and a copy of the
// selection taken when Start Backup was pressed. It can be stopped through the stop file, drives
// the dialog's counters and bars, and clears backupInProgress as the very last thing it does.
int RunBackup(CArkvaleDoc& doc, CSession& session, BackupProgress& progress,
              const SelectionSnapshot& selection);

// The automatic run of the scheduler, with the selection of the backup set file at
// backupSetPath. Connects by itself when there is no session; shows only its summary.
int RunAutomaticBackup(CArkvaleDoc& doc, CSession& session, const std::string& backupSetPath);

// Writes 100 into last_backup, so the next schedule check within the window starts the
// automatic backup again.
void ResetLastBackup(const std::string& installDirectory);

}  // namespace arkvale
