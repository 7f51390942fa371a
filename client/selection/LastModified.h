#pragma once
// The time of a file's last change as the lists show it: the file list of the main window and
// the Backup dialog's lists.
#include <ctime>
#include <string>

namespace arkvale {

// Local time as month/day/two-digit year and a 12-hour clock with "a" before noon and "p" from
// noon on, as in 3/30/04 (3:07p); empty when the time has no local form.
std::string FormatLastModified(std::time_t when);

}  // namespace arkvale
