// Every window of the wizard as a screen reader meets it. A new page adds one line here.
#include <gtest/gtest.h>

#include "client/settings/InstallPaths.h"
#include "tests/support/AccessibleCheck.h"
#include "tests/support/GuiTest.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"
#include "wizard/AboutDlg.h"
#include "wizard/Pages.h"
#include "wizard/WizardDlg.h"

namespace arkvale {
namespace {

void Check(QWidget&& window) {
  window.show();
  ASSERT_TRUE(test::WaitFor([&] { return window.isVisible(); }));
  test::ExpectAccessible(&window);
}

TEST(WizardAccessibilityTest, EveryPageNamesItsControls) {
  test::GuiApplication();
  test::TempWorld world;
  test::RecordingPrompt prompt;
  const WizardSettings settings;
  Check(CWizardDlg(kInstallDirectory, prompt, [] {}));
  Check(CUserPage(settings, prompt, nullptr));
  Check(CServerPage(settings, prompt, nullptr));
  Check(CKeyPage(settings, prompt, nullptr));
  Check(CStartupPage(settings, prompt, nullptr));
  Check(CSummaryPage(settings, prompt, nullptr));
  Check(setwell::CAboutDlg());
}

}  // namespace
}  // namespace arkvale
