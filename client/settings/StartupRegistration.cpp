#include "client/settings/StartupRegistration.h"

#include "platform/StartupRegistration.h"

namespace arkvale {

void SetStartupRegistration(bool on, Prompt& prompt, Owner owner, const std::string& caption) {
  const char* text = nullptr;
  switch (on ? plat::AddStartupEntry() : plat::RemoveStartupEntry()) {
    case plat::StartupResult::kOk:
      return;
    case plat::StartupResult::kCannotOpen:
      text = "Error opening key in registry";
      break;
    case plat::StartupResult::kCannotOpenForRemoval:
      text = "Failure";
      break;
    case plat::StartupResult::kCannotRemove:
      text = "Failed to remove arkvale from startup list in registry";
      break;
  }
  prompt.ShowMessage(text, caption, Icon::None, owner);
}

}  // namespace arkvale
