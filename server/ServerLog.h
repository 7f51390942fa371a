#pragma once
// One line per event on standard error, time-stamped, whole lines even from many threads.
#include <string>
#include <string_view>

namespace arkvale::server {

void LogLine(std::string_view text);
// A line about one connection: "[id] text".
void LogConnection(int id, std::string_view text);

// Client-supplied text made safe for a log line: control and non-ASCII bytes become \xNN, so a
// hostile path cannot forge or break lines.
std::string Printable(std::string_view text);

}  // namespace arkvale::server
