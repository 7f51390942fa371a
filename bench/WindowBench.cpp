// Times a manual backup through the window, as a user runs it: the main window and the Backup
// dialog shown, "Start Backup" pressed, until the run asks for its summary box. The same run
// without a window (the dialog replaced by a sink that does nothing) is timed beside it.
//   arkvale-window-bench PORT WORK_DIR USER PASSWORD [FILES]
// Run under a display, with the accessibility bus on (bench/window-bench.sh sets that up).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSinks.h"
#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/session/Session.h"
#include "client/settings/ConfigFile.h"
#include "client/settings/InstallPaths.h"
#include "client/shell/MainFrame.h"
#include "client/transfer/BackupDlg.h"
#include "client/transfer/BackupRun.h"
#include "client/transfer/RunFlags.h"
#include "platform/Drives.h"
#include "platform/Install.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;
using namespace arkvale;
using namespace arkvale::bench;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRepeats = 3;
int kFiles = 100;
constexpr const char* kKey = "bench key with blanks";

// Boxes are carried to the user-interface thread as the program's own prompt carries them, and
// answered there at once; the time the summary box would open is kept.
class BenchPrompt : public Prompt {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, Icon icon,
                   Owner owner) override {
    if (QThread::currentThread() != qApp->thread()) {
      QMetaObject::invokeMethod(
          qApp, [&] { ShowMessage(text, caption, icon, owner); }, Qt::BlockingQueuedConnection);
      return;
    }
    std::lock_guard lock(mutex_);
    last_ = text;
    if (text.find("transferred succesfully") != std::string::npos ||
        text.find("differs from") != std::string::npos) {
      summaryAt_ = Clock::now();
      summaries_++;
      if (waiting != nullptr) waiting->quit();
    }
  }
  // Ended when the summary comes.
  QEventLoop* waiting = nullptr;
  bool AskYesNo(const std::string&, const std::string&, Icon, Owner) override { return true; }
  int summaries() const { return summaries_; }
  Clock::time_point summaryAt() const {
    std::lock_guard lock(mutex_);
    return summaryAt_;
  }
  std::string last() const {
    std::lock_guard lock(mutex_);
    return last_;
  }

 private:
  mutable std::mutex mutex_;
  std::string last_;
  Clock::time_point summaryAt_;
  std::atomic<int> summaries_{0};
};

class NoDialog : public BackupProgress {
 public:
  uint32_t BytesSelected() const override { return 1; }
  void SetBytesTransmitted(uint32_t) override {}
  void SetFilesTransmitted(uint32_t) override {}
  void RefreshFields() override {}
  void SetCompressing(int) override {}
  void SetEncrypting(int) override {}
  void SetTransmission(int) override {}
  void DisableStopButton() override {}
};

struct Bench {
  BenchPrompt prompt;
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CMainFrame> frame;

  void Choose(const std::string& directory) {
    doc->ClearSelection();
    if (!directory.empty()) doc->ChooseDirectoryTree(directory);
  }

  void Check(const char* what) {
    const std::string last = prompt.last();
    if (last.find("All files in session transferred succesfully") == std::string::npos) {
      std::cerr << what << ": unexpected summary: " << last << "\n";
    }
  }

  void WaitForSummary(int before) {
    QEventLoop loop;
    prompt.waiting = &loop;
    if (prompt.summaries() == before) loop.exec();
    prompt.waiting = nullptr;
  }

  // Start Backup pressed in a fresh dialog until the summary; seconds.
  double ThroughTheWindow(const std::string& directory, const char* what) {
    Choose(directory);
    auto* dialog = new CBackupDlg(*doc, frame->session(), frame.get());
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog)) std::cerr << "dialog not shown\n";
    QApplication::processEvents();
    auto* start = dialog->findChild<QPushButton*>(ids::IdName(ids::kStartBackup));
    const int before = prompt.summaries();
    const auto began = Clock::now();
    QTest::mouseClick(start, Qt::LeftButton);
    WaitForSummary(before);
    const double seconds = std::chrono::duration<double>(prompt.summaryAt() - began).count();
    while (backupInProgress) QTest::qWait(1);
    Check(what);
    dialog->close();
    QApplication::processEvents();
    return seconds;
  }

  // The same run with nothing shown.
  double Alone(const std::string& directory, const char* what) {
    Choose(directory);
    NoDialog sink;
    const int before = prompt.summaries();
    backupInProgress = true;
    const auto began = Clock::now();
    std::thread run([&] { RunBackup(*doc, frame->session(), sink, doc->Snapshot()); });
    // The summary comes through this thread's event loop.
    WaitForSummary(before);
    while (backupInProgress) QTest::qWait(1);
    run.join();
    if (prompt.summaries() == before) std::cerr << what << ": no summary\n";
    Check(what);
    return std::chrono::duration<double>(prompt.summaryAt() - began).count();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::cerr << "usage: arkvale-window-bench PORT WORK_DIR USER PASSWORD [FILES]\n";
    return 2;
  }
  if (argc == 6) kFiles = std::max(1, std::atoi(argv[5]));
  QApplication app(argc, argv);
  const uint16_t port = static_cast<uint16_t>(std::atoi(argv[1]));
  Bench bench;
  if (!PrepareClient(argv[2], argv[3], argv[4], kKey, bench.prompt)) return 1;
  bench.doc = std::make_unique<CArkvaleDoc>(bench.prompt);
  bench.doc->encryptionKey = kKey;
  bench.frame = std::make_unique<CMainFrame>(*bench.doc);
  bench.frame->session().serverPort = port;
  bench.frame->show();
  if (!QTest::qWaitForWindowExposed(bench.frame.get())) std::cerr << "window not shown\n";
  if (bench.frame->session().ConnectAutomatically() != 0) {
    std::cerr << "connection failed\n";
    return 1;
  }
  QApplication::processEvents();

  std::vector<double> emptyWindow, neededWindow, heldWindow, emptyAlone, neededAlone, heldAlone;
  for (int r = 0; r < kRepeats; ++r) {
    const std::string window = "C:\\bench\\window" + std::to_string(r);
    const std::string alone = "C:\\bench\\alone" + std::to_string(r);
    for (int f = 0; f < kFiles; ++f) {
      WriteHost(Host(window + "\\f" + std::to_string(f)), RandomBytes(1024, r * 1000 + f));
      WriteHost(Host(alone + "\\f" + std::to_string(f)), RandomBytes(1024, r * 1000 + f + 500));
    }
    emptyWindow.push_back(bench.ThroughTheWindow("", "empty"));
    neededWindow.push_back(bench.ThroughTheWindow(window, "needed"));
    heldWindow.push_back(bench.ThroughTheWindow(window, "held"));
    emptyAlone.push_back(bench.Alone("", "empty alone"));
    neededAlone.push_back(bench.Alone(alone, "needed alone"));
    heldAlone.push_back(bench.Alone(alone, "held alone"));
  }
  const double fixedWindow = Median(emptyWindow), fixedAlone = Median(emptyAlone);
  const double neededW = (Median(neededWindow) - fixedWindow) / kFiles;
  const double heldW = (Median(heldWindow) - fixedWindow) / kFiles;
  const double neededA = (Median(neededAlone) - fixedAlone) / kFiles;
  const double heldA = (Median(heldAlone) - fixedAlone) / kFiles;
  std::printf("%d files, %d runs each, median; per file = (run - run without files) / files\n",
              kFiles, kRepeats);
  std::printf("run without files: window %7.3f s (start pause included), alone %7.3f s\n",
              fixedWindow, fixedAlone);
  std::printf("needed 1 KiB file: window %7.2f ms, alone %7.2f ms, window - alone %6.2f ms\n",
              neededW * 1e3, neededA * 1e3, (neededW - neededA) * 1e3);
  std::printf("held 1 KiB file:   window %7.2f ms, alone %7.2f ms, window - alone %6.2f ms\n",
              heldW * 1e3, heldA * 1e3, (heldW - heldA) * 1e3);
  std::printf("whole run, %d needed: window %.3f s; %d held: window %.3f s\n", kFiles,
              Median(neededWindow), kFiles, Median(heldWindow));
  bench.frame->hide();
  return 0;
}
