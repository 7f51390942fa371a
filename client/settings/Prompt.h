#pragma once
// How the logic talks to the user. The GUI implements it with message boxes (a call from a
// worker thread is carried to the user-interface thread and blocks the worker until the user
// answers); tests fake it.
#include <string>

namespace arkvale {

enum class Icon { None, Information, Warning, Error, Question };

// Which window owns a message box; None for the boxes of worker threads.
enum class Owner {
  None,
  MainWindow,
  BackupDialog,
  RestoreDialog,
  DeleteDialog,
  LogViewer,
  ScheduleDialog,
  ConfigDialog,
  LoginDialog,
  Wizard
};

// The caption of a box shown without an explicit caption: the application title.
inline constexpr const char* kApplicationTitle = "arkvale";
inline constexpr const char* kCaption = "Arkvale";

class Prompt {
 public:
  virtual ~Prompt() = default;
  // An OK message box.
  virtual void ShowMessage(const std::string& text, const std::string& caption, Icon icon,
                           Owner owner) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption, Icon icon,
                        Owner owner) = 0;
  // The same question with No as the default answer, for a step that cannot be undone.
  virtual bool AskYesNoDefaultNo(const std::string& text, const std::string& caption, Icon icon,
                                 Owner owner) {
    return AskYesNo(text, caption, icon, owner);
  }
};

}  // namespace arkvale
