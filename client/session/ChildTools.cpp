#include "client/session/ChildTools.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "client/settings/EventLog.h"
#include "client/settings/InstallPaths.h"
#include "platform/Process.h"

namespace arkvale {

std::string ChildToolPath(const std::string& installDirectory, ChildTool tool) {
  return installDirectory + (tool == ChildTool::Gzip ? kGzipName : kCcryptName);
}

int SpawnChild(const std::string& installDirectory, ChildTool tool,
               const std::vector<std::string>& words) {
  return plat::SpawnDetached(ChildToolPath(installDirectory, tool), words) == 0 ? 0 : -1;
}

ChildProcess::~ChildProcess() { plat::CloseChildEnd(endFd_); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : endFd_(std::exchange(other.endFd_, -1)), ended_(other.ended_) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    plat::CloseChildEnd(endFd_);
    endFd_ = std::exchange(other.endFd_, -1);
    ended_ = other.ended_;
  }
  return *this;
}

bool ChildProcess::WaitStep(int ms) {
  if (ended_) return true;
  if (endFd_ >= 0) {
    int result = plat::WaitChildEnd(endFd_, ms);
    if (result == 0) return false;
    plat::CloseChildEnd(std::exchange(endFd_, -1));
    ended_ = result == 1;
    if (ended_) return true;
  }
  // Nothing to watch: the step is a plain sleep.
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return false;
}

int SpawnChild(const std::string& installDirectory, ChildTool tool,
               const std::vector<std::string>& words, ChildProcess& child) {
  int endFd = -1;
  int result = plat::SpawnDetached(ChildToolPath(installDirectory, tool), words, &endFd);
  child = result == 0 ? ChildProcess(endFd) : ChildProcess();
  return result == 0 ? 0 : -1;
}

bool AwaitChildFile(ChildProcess& child, std::chrono::milliseconds limit,
                    const std::function<bool()>& done, const std::function<void()>& tick) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (done()) return true;
    // The tools leave their file before they end, so after the end it is not coming.
    if (child.ended()) return false;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (tick) tick();
    child.WaitStep(static_cast<int>(std::min<long long>(left.count(), kChildPollMs)));
  }
}

std::vector<std::string> BackupCompressWords() { return {"-f", "-9", kBackupTempFile}; }

std::vector<std::string> BackupEncryptWords(const std::string& key) {
  return {"-e", "-f", "-K", key, kBackupTempGz};
}

std::vector<std::string> CredentialsEncryptWords(const std::string& key) {
  return {"-e", "-f", "-K", key, kCredentialsFile};
}

std::vector<std::string> RestoreDecryptWords(const std::string& key) {
  return {"-q", "-d", "-K", key, kRestoreTempCpt};
}

std::vector<std::string> RestoreDecompressWords() {
  return {"-c", "-d", kRestoreTempGz, ">", kRestoreDummyTarget};
}

void ReportSpawnFailure(SpawnCaller caller, Prompt& prompt, EventLog& log, Owner credentialsOwner) {
  switch (caller) {
    case SpawnCaller::ManualBackupGzip:
    case SpawnCaller::ManualBackupCcrypt:
    case SpawnCaller::AutomaticBackupGzip:
    case SpawnCaller::RestoreGzip:
      prompt.ShowMessage(kSpawnError, kCaption, Icon::None, Owner::None);
      return;
    case SpawnCaller::AutomaticBackupCcrypt:
      log.Write(kLogError, kSpawnError);
      return;
    case SpawnCaller::RestoreCcrypt:
      prompt.ShowMessage(kSpawnError, kDebuggingCaption, Icon::None, Owner::None);
      return;
    case SpawnCaller::EncryptCredentials:
      log.Write(kLogError, kSpawnError);
      prompt.ShowMessage(kCredentialsSpawnError, kApplicationTitle, Icon::None, credentialsOwner);
      return;
  }
}

}  // namespace arkvale
