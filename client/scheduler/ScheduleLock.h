#pragma once
// The schedule lock C:\my_sched_lock_file keeps the Schedule dialog and the schedule check apart:
// whoever created it exclusively holds it until it is removed.
namespace arkvale {

class CArkvaleDoc;

// The open descriptor, or -1: silently when the file exists, reported when it cannot be made.
int AcquireScheduleLock(CArkvaleDoc& doc);
// Closes the descriptor and removes the file; a removal that fails is reported.
void ReleaseScheduleLock(CArkvaleDoc& doc, int handle);

}  // namespace arkvale
