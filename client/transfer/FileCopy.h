#pragma once
#include <string>

#include "client/settings/Prompt.h"

namespace arkvale {

class EventLog;

// Copies source to destination byte for byte in 1000-byte pieces; a new destination is readable
// by its owner only. 0 on success; 1 after logging (and for read and write errors showing, owned
// by owner) the failure, with the destination removed.
int my_file_copy(const std::string& source, const std::string& destination, Prompt& prompt,
                 EventLog& log, Owner owner);

}  // namespace arkvale
