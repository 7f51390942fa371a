#include "client/session/ChildTools.h"

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
