#pragma once
// Set start-up registration: adds or removes the entry that starts arkvale at log-on, telling the
// user in a plain box (caption "arkvale", or the wizard's own name) when that fails. Shared by the
// classic configuration dialog and the wizard; nothing of it goes to the event log.
#include <string>

#include "client/settings/Prompt.h"

namespace arkvale {

void SetStartupRegistration(bool on, Prompt& prompt, Owner owner,
                            const std::string& caption = kApplicationTitle);

}  // namespace arkvale
