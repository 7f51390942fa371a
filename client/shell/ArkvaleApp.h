#pragma once
// Start-up of the main program: one instance only, the sockets, the document and the main window,
// shown normally or minimized.
#include <memory>

#include "client/settings/Prompt.h"
#include "client/shell/InstanceChecker.h"

namespace arkvale {

class CArkvaleDoc;
class CMainFrame;

inline constexpr const char* kPreviousInstanceText =
    "Previous version detected, will now restore it";
inline constexpr const char* kSocketsFailedText = "Windows sockets initialization failed.";

class CArkvaleApp {
 public:
  // prompt shows the boxes of the start-up and of everything the document reports.
  explicit CArkvaleApp(Prompt& prompt);
  ~CArkvaleApp();
  CArkvaleApp(const CArkvaleApp&) = delete;
  CArkvaleApp& operator=(const CArkvaleApp&) = delete;

  // False when the process is to end: a previous instance was asked to come to the front, or the
  // sockets could not be started.
  bool InitInstance();

  CArkvaleDoc* document() const { return doc_.get(); }
  CMainFrame* mainFrame() const { return frame_.get(); }

 private:
  Prompt& prompt_;
  CInstanceChecker checker_;
  std::unique_ptr<CArkvaleDoc> doc_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace arkvale
