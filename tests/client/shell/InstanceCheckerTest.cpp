#include <gtest/gtest.h>

#include <QProcess>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "client/shell/ArkvaleApp.h"
#include "client/shell/InstanceChecker.h"
#include "client/shell/MainFrame.h"
#include "platform/Drives.h"
#include "tests/client/shell/ShellWorld.h"

namespace arkvale {
namespace {

TEST(InstanceCheckerTest, ASecondStartRaisesTheFirstWindowAndEnds) {
  test::ShellWorld w;
  CInstanceChecker first;
  ASSERT_FALSE(first.PreviousInstanceRunning());
  QWidget window;
  window.show();
  window.showMinimized();
  ASSERT_TRUE(first.TrackFirstInstance(&window));
  ASSERT_TRUE(window.isMinimized());

  CArkvaleApp second(w.prompt);
  EXPECT_FALSE(second.InitInstance());
  EXPECT_EQ(second.mainFrame(), nullptr);
  ASSERT_EQ(w.prompt.texts(),
            std::vector<std::string>{"Previous version detected, will now restore it"});
  EXPECT_EQ(w.prompt.boxes()[0].caption, "arkvale");
  EXPECT_EQ(w.prompt.boxes()[0].icon, Icon::None);
  EXPECT_TRUE(test::WaitFor([&] { return !window.isMinimized() && window.isVisible(); }));
}

TEST(InstanceCheckerTest, AHiddenFirstWindowIsShownAgain) {
  test::ShellWorld w;
  CInstanceChecker first;
  ASSERT_FALSE(first.PreviousInstanceRunning());
  QWidget window;
  ASSERT_TRUE(first.TrackFirstInstance(&window));
  CInstanceChecker second;
  ASSERT_TRUE(second.PreviousInstanceRunning());
  second.ActivatePreviousInstance();
  EXPECT_TRUE(test::WaitFor([&] { return window.isVisible(); }));
}

// Points $XDG_RUNTIME_DIR elsewhere for one test.
class RuntimeDirectory {
 public:
  explicit RuntimeDirectory(const std::string& dir) {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) saved_ = old;
    std::filesystem::create_directories(dir);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  ~RuntimeDirectory() {
    if (saved_) {
      setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }

 private:
  std::optional<std::string> saved_;
};

TEST(InstanceCheckerTest, ADeepDataDirectoryStillLetsTheSecondStartReachTheFirst) {
  test::ShellWorld w;
  // Deeper than a local socket's path may be.
  const std::string deep = w.world.root() + "/" + std::string(60, 'd') + "/" + std::string(60, 'e');
  std::filesystem::create_directories(deep);
  plat::SetDataRoot(deep);
  RuntimeDirectory runtime(w.world.root() + "/run");

  CInstanceChecker first;
  ASSERT_FALSE(first.PreviousInstanceRunning());
  QWidget window;
  EXPECT_TRUE(first.TrackFirstInstance(&window));
  CInstanceChecker second;
  ASSERT_TRUE(second.PreviousInstanceRunning());
  second.ActivatePreviousInstance();
  EXPECT_TRUE(test::WaitFor([&] { return window.isVisible(); }));
}

TEST(InstanceCheckerTest, TheLockDiesWithItsProcess) {
  test::ShellWorld w;
  // Another process holds the instance lock, then dies without cleaning up.
  const QString lockFile = QString::fromStdString(plat::DataRoot()) + "/" + kInstanceName + ".lock";
  QProcess holder;
  holder.start("flock", {"--exclusive", "--close", lockFile, "sleep", "30"});
  ASSERT_TRUE(holder.waitForStarted());
  CInstanceChecker checker;
  ASSERT_TRUE(test::WaitFor([&] { return CInstanceChecker().PreviousInstanceRunning(); }));
  holder.kill();
  holder.waitForFinished();
  // flock(1) forks its command, which lets go of the descriptor a moment after the fork; until
  // then the lock lives on in that child.
  EXPECT_TRUE(test::WaitFor([&] { return !checker.PreviousInstanceRunning(); }));
  // This one holds it now, and asks no more.
  EXPECT_FALSE(checker.PreviousInstanceRunning());
  EXPECT_TRUE(CInstanceChecker().PreviousInstanceRunning());
}

TEST(InstanceCheckerTest, TheFirstStartShowsTheWindowAndTracksIt) {
  test::ShellWorld w;
  {
    CArkvaleApp app(w.prompt);
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(app.mainFrame(), nullptr);
    EXPECT_TRUE(app.mainFrame()->isVisible());
    EXPECT_FALSE(app.mainFrame()->isMinimized());
    EXPECT_TRUE(CInstanceChecker().PreviousInstanceRunning());
  }
  // With run_minimized the window starts minimized.
  test::TempWorld::WriteHostFile(w.installHostDir() + "/run_minimized", "");
  CArkvaleApp app(w.prompt);
  ASSERT_TRUE(app.InitInstance());
  EXPECT_TRUE(app.mainFrame()->isMinimized());
}

}  // namespace
}  // namespace arkvale
