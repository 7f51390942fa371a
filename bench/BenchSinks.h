#pragma once
// Sinks for the benches' runs: no window, no dialog, every question answered Yes, the last box
// kept.
#include <optional>
#include <string>
#include <vector>

#include "client/session/SessionView.h"
#include "client/settings/Prompt.h"
#include "client/transfer/RestoreProgress.h"

namespace arkvale::bench {

class QuietPrompt : public Prompt {
 public:
  void ShowMessage(const std::string& text, const std::string&, Icon, Owner) override {
    last = text;
  }
  bool AskYesNo(const std::string&, const std::string&, Icon, Owner) override { return true; }
  std::string last;
};

class NoWindow : public SessionView {
 public:
  void ShowConnectionButton(ConnectionButton) override {}
  void ShowQuota(const std::string&, const std::string&, const std::string&) override {}
  std::optional<LoginCredentials> RunLoginDialog(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

class NoRestoreBars : public RestoreProgress {
 public:
  void SetTransmission(int) override {}
  void SetDecrypting(int) override {}
  void SetUncompressing(int) override {}
  void DisableStopButton() override {}
  void ShowCompareResults(std::vector<CompareResult>, std::string) override {}
};

}  // namespace arkvale::bench
