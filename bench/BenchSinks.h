#pragma once
// What the benches share: silent sinks for their runs (no window, no dialog, every question
// answered Yes, the last box kept), small set-up helpers and generated content.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "client/session/SessionView.h"
#include "client/settings/ConfigFile.h"
#include "client/settings/InstallPaths.h"
#include "client/settings/Prompt.h"
#include "client/transfer/RestoreProgress.h"
#include "platform/Drives.h"
#include "platform/Install.h"
#include "platform/Paths.h"

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

// Small helpers of the benches' set-up.
inline double Seconds(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The middle of the figures (the upper one of an even count).
inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Content that does not compress, the same for a seed.
inline std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937_64 random(seed);
  std::string out(size, '\0');
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    uint64_t v = random();
    std::memcpy(&out[i], &v, 8);
  }
  return out;
}

// Text that compresses as prose does, the same for a seed.
inline std::string Text(std::size_t size, unsigned seed) {
  static const char* words[] = {"backup ", "server ", "quota ",  "file ",  "the ",   "of ",
                                "stored ", "copy ",   "client ", "path\n", "data ",  "and ",
                                "size ",   "time ",   "a ",      "run ",   "list\n", "key "};
  std::mt19937 random(seed);
  std::string out;
  out.reserve(size + 16);
  while (out.size() < size) out += words[random() % std::size(words)];
  out.resize(size);
  return out;
}

inline std::string Host(const std::string& windowsPath) {
  return plat::ToHostPath(windowsPath).value_or("");
}

// Makes workDir the client's data root, with the tools installed and a configuration for the
// account on this machine's server (serverName + ".localhost"). False, the reason on standard
// error, when any of it fails.
inline bool PrepareClient(const std::string& workDir, const std::string& user,
                          const std::string& password, const std::string& key, Prompt& prompt,
                          const std::string& serverName = "bench") {
  plat::SetDataRoot(workDir);
  plat::EnsureDriveTable();
  std::vector<std::string> installed;
  std::string error;
  if (!plat::InstallTools(installed, error)) {
    std::cerr << error << "\n";
    return false;
  }
  ConfigSettings config;
  config.userName = user;
  config.password = password;
  config.encryptionKey = key;
  config.serverName = serverName;
  return SaveConfigFile(kInstallDirectory, config, {prompt});
}

inline void WriteHost(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

}  // namespace arkvale::bench
