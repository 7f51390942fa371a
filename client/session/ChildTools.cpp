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

namespace {

// How long a child that outlives its object may take to finish on its own: the tools leave their
// file just before they end.
constexpr int kEndGraceMs = 2000;

}  // namespace

ChildProcess::~ChildProcess() {
  if (pid_ != -1 && plat::WaitChildFor(pid_, kEndGraceMs) == 0) {
    Stop();
  } else {
    ended();
  }
  // A child that cannot be watched is ended rather than left a zombie.
  Stop();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      ended_(std::exchange(other.ended_, false)),
      exitCode_(std::exchange(other.exitCode_, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Stop();
    pid_ = std::exchange(other.pid_, -1);
    ended_ = std::exchange(other.ended_, false);
    exitCode_ = std::exchange(other.exitCode_, -1);
  }
  return *this;
}

bool ChildProcess::Start(const std::string& installDirectory, ChildTool tool,
                         const std::vector<std::string>& words, const ChildStreams& streams) {
  Stop();
  ended_ = false;
  exitCode_ = -1;
  pid_ = plat::StartChild(ChildToolPath(installDirectory, tool), words,
                          plat::ChildStreams{streams.input, streams.output});
  return pid_ != -1;
}

bool ChildProcess::ended() {
  if (ended_) return true;
  if (pid_ == -1) return false;
  int code = -1;
  int result = plat::ReapChild(pid_, &code);
  if (result == 0) return false;
  pid_ = -1;
  ended_ = true;
  exitCode_ = result == 1 ? code : -1;
  return true;
}

bool ChildProcess::WaitStep(int ms) {
  if (ended()) return true;
  if (pid_ != -1 && plat::WaitChildFor(pid_, ms) >= 0) return ended();
  // Nothing to watch: the step is a plain sleep.
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return ended();
}

void ChildProcess::Stop() {
  if (pid_ == -1) return;
  plat::EndChild(std::exchange(pid_, -1));
  ended_ = true;
  exitCode_ = -1;
}

int SpawnChild(const std::string& installDirectory, ChildTool tool,
               const std::vector<std::string>& words, ChildProcess& child) {
  if (child.Start(installDirectory, tool, words)) return 0;
  child = ChildProcess();
  return -1;
}

bool AwaitChildFile(ChildProcess& child, std::chrono::milliseconds limit,
                    const std::function<bool()>& done, const std::function<void()>& tick) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (done()) return true;
    // The tools leave their file before they end, so after the end one last look tells; the
    // child may have ended just after the look above.
    if (child.ended()) return done();
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (tick) tick();
    child.WaitStep(static_cast<int>(std::min<long long>(left.count(), kChildPollMs)));
  }
}

bool AwaitChildEnd(ChildProcess& child, std::chrono::milliseconds limit,
                   const std::function<void()>& tick) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!child.ended()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    if (tick) tick();
    child.WaitStep(static_cast<int>(std::min<long long>(left.count(), kChildPollMs)));
  }
  return true;
}

std::vector<std::string> BackupCompressWords() { return {"gzip", "-9", "-c", kBackupTempFile}; }

std::vector<std::string> BackupEncryptWords(const std::string& key) {
  return {"ccrypt", "-e", "-K", key};
}

std::vector<std::string> CredentialsEncryptWords(const std::string& key) {
  return {"-e", "-f", "-K", key, kCredentialsFile};
}

std::vector<std::string> RestoreDecryptWords(const std::string& key) {
  return {"ccrypt", "-d", "-K", key};
}

std::vector<std::string> RestoreDecompressWords() { return {"gzip", "-d", "-c"}; }

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
