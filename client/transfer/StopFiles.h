#pragma once
// The Stop buttons ask a run to end before its next file by creating the run's stop file.
namespace arkvale {

// Creates the stop file empty; a file that cannot be made leaves the run to go on to its end.
void CreateStopFile(const char* stopFile);
// Whether the stop file is there; a file found is removed, so it asks for one stop only.
bool TakeStopFile(const char* stopFile);

}  // namespace arkvale
