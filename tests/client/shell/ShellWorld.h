#pragma once
// A temporary Windows world with the installation directory in place, a recording prompt and the
// GUI application, for the tests of the main program's windows.
#include <QApplication>
#include <string>

#include "client/settings/ConfigFile.h"
#include "tests/support/GuiTest.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {

class ShellWorld {
 public:
  ShellWorld();

  std::string installHostDir() const { return world.driveC() + "/Program Files/Arkvale"; }
  void WriteConfig(const ConfigSettings& settings) const;
  // An executable shell script in place of setwell.exe.
  void WriteWizard(const std::string& script) const;

  QApplication& app = GuiApplication();
  TempWorld world;
  RecordingPrompt prompt;
};

}  // namespace arkvale::test
