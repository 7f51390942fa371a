#pragma once
// A document and a session in a temporary world, for the tests that open a transfer dialog.
#include <QApplication>
#include <filesystem>

#include "client/document/ArkvaleDoc.h"
#include "client/session/Session.h"
#include "tests/support/GuiTest.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {

struct DialogWorld {
  QApplication& app = GuiApplication();
  TempWorld world;
  // The document opens its log in the installation directory.
  bool installed =
      std::filesystem::create_directories(world.driveC() + "/Program Files/Arkvale/log");
  RecordingPrompt prompt;
  RecordingSessionView view;
  CArkvaleDoc doc{prompt};
  CSession session{doc, view};
};

}  // namespace arkvale::test
