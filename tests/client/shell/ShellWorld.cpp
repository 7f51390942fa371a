#include "tests/client/shell/ShellWorld.h"

#include <filesystem>

namespace arkvale::test {

ShellWorld::ShellWorld() { std::filesystem::create_directories(installHostDir()); }

void ShellWorld::WriteConfig(const ConfigSettings& settings) const {
  TempWorld::WriteHostFile(installHostDir() + "/config_file", FormatConfigFile(settings));
}

void ShellWorld::WriteWizard(const std::string& script) const {
  const std::string path = installHostDir() + "/setwell.exe";
  TempWorld::WriteHostFile(path, "#!/bin/sh\n" + script);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace arkvale::test
