#pragma once
// The files through which a Stop button asks a run to end before its next file.
namespace arkvale {

inline constexpr const char* kRestoreStopFile = "C:\\restore_stop_file_name123";
inline constexpr const char* kDeleteStopFile = "C:\\delete_stop_file_name123";

// Creates the stop file empty; a file that cannot be made leaves the run to go on to its end.
void CreateStopFile(const char* stopFile);

}  // namespace arkvale
