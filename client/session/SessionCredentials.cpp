// Login credentials are encrypted by the encryptor under the built-in key before they go out. The
// plain text exists on disk only for the moment the encryptor needs it.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "client/document/ArkvaleDoc.h"
#include "client/session/ChildTools.h"
#include "client/session/Session.h"
#include "client/settings/EventLog.h"
#include "common/CredentialsKey.h"
#include "platform/Files.h"

namespace arkvale {

namespace {

// The encryptor needs milliseconds for a few hundred bytes; a child that never leaves its file
// must not hang the login for ever.
constexpr int kEncryptWaitMs = 10000;

// Both files have fixed names: one encryption at a time in this process.
std::mutex encryptionMutex;

// Removes the plain credentials whatever way the encryption ends.
struct PlainCredentialsRemover {
  ~PlainCredentialsRemover() { plat::RemoveFile(kCredentialsFile); }
};

void Wipe(char* data, std::size_t length) {
  volatile char* p = data;
  while (length-- > 0) *p++ = '\0';
}

}  // namespace

int CSession::EncryptCredentials(const std::string& text, std::string& out, Owner owner) {
  out.clear();
  if (text.size() >= kCredentialsTextCapacity) return -1;
  std::lock_guard exclusive(encryptionMutex);

  char key[kCredentialsKeyLength + 1];
  AssembleCredentialsKey(key);
  std::string keyText(key, kCredentialsKeyLength);
  Wipe(key, sizeof key);

  plat::RemoveFile(kCredentialsCpt);
  PlainCredentialsRemover remover;
  // A left-over file would keep its old permissions; a new one is created readable by us only.
  plat::RemoveFile(kCredentialsFile);
  FILE* plain = plat::OpenStream(kCredentialsFile, "w", 0600);
  bool written = plain != nullptr && std::fputs(text.c_str(), plain) >= 0;
  if (plain != nullptr && std::fclose(plain) != 0) written = false;
  if (!written) {
    Show("Error opening file for writing user and password", Icon::None, owner);
    return -1;
  }

  ChildProcess child;
  int spawned =
      SpawnChild(doc_.installDirectory, ChildTool::Ccrypt, CredentialsEncryptWords(keyText), child);
  Wipe(keyText.data(), keyText.size());
  if (spawned == -1) {
    ReportSpawnFailure(SpawnCaller::EncryptCredentials, doc_.prompt(), doc_.eventLog, owner);
    return -1;
  }

  AwaitChildFile(child, std::chrono::milliseconds(kEncryptWaitMs),
                 [] { return plat::FileExists(kCredentialsCpt); });

  const std::string logText = std::string("File: ") + kCredentialsCpt;
  FILE* encrypted = plat::OpenStream(kCredentialsCpt, "rb");
  if (encrypted == nullptr) {
    Log(kLogError, logText + "   Failed to open the file");
    return -1;
  }
  bool tooLong = false;
  int c;
  while ((c = std::fgetc(encrypted)) != EOF) {
    if (out.size() == kEncryptedCredentialsCapacity) {
      tooLong = true;
      break;
    }
    out.push_back(static_cast<char>(c));
  }
  if (tooLong || std::ferror(encrypted)) {
    Log(kLogError, "Problem reading file");
    Show("Problem reading file", Icon::None, owner, kApplicationTitle);
    Log(kLogError, logText + "  Error while reading the file");
    std::fclose(encrypted);
    plat::RemoveFile(kCredentialsCpt);
    out.clear();
    return -1;
  }
  std::fclose(encrypted);
  plat::RemoveFile(kCredentialsCpt);
  return static_cast<int>(out.size());
}

}  // namespace arkvale
