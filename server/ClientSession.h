#pragma once
// One client's dialogue, from the login to the end of the connection.
#include <cstdint>
#include <string>

#include "server/Catalog.h"
#include "server/Channel.h"
#include "server/ObjectStore.h"

namespace arkvale::server {

struct SessionSettings {
  ChannelTiming timing;
  // Pause before a request the server makes on its own right after a reply (the next
  // "SEND_ME_FILE_INFO" after a verdict). Our client reads the server as a stream and takes the
  // two apart; a client that takes each receive as one reply needs a pause here.
  int promptGapMs = 0;
};

class ClientSession {
 public:
  ClientSession(int fd, int id, Catalog& catalog, ObjectStore& store, SessionSettings settings);
  // Serves the client until it disconnects, goes silent or misbehaves beyond repair.
  void Run();

 private:
  enum class FileOutcome { Answered, AnsweredWithPrompt, EndDialogue };

  bool Login();
  void ServeCommands();
  // Serves one command; false once the client disconnects.
  bool ServeCommand();
  void SendQuota();
  void Backup();
  FileOutcome BackupOneFile();
  FileOutcome ReceiveFile(const StoredFile& offered, std::uint64_t bytes);
  void SendListing();
  void Restore();
  void Delete();
  // True when the client's next command stands where a dialogue step expected something else:
  // its run ended on its side, so the dialogue is over (nothing consumed, nothing answered).
  bool ClientLeftDialogue();
  // A count that opens a dialogue; nullopt (after a refusal) when it is not one.
  std::optional<std::int64_t> ReadCount();
  void Log(const std::string& text) const;

  Channel channel_;
  int id_;
  Catalog& catalog_;
  ObjectStore& store_;
  SessionSettings settings_;
  std::string user_;
};

}  // namespace arkvale::server
