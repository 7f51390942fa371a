#pragma once
// Shows the wait cursor for as long as it lives: long work on the user-interface thread (a walk
// over a large directory tree) must not look like a frozen window.
namespace arkvale {

class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace arkvale
