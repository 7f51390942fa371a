#pragma once
// The plain content of one file being restored. The stored (encrypted, compressed) bytes go to
// the decryptor as they arrive, its output is piped into the decompressor, and the decompressor
// writes into a descriptor of the caller's (a temporary file beside the file's place). Which
// file it is, and what becomes of the finished content, is the caller's.
#include <cstddef>
#include <functional>
#include <string>

#include "client/session/ChildTools.h"

namespace arkvale {

class CRestorePipeline {
 public:
  enum class Start { Started, DecryptorFailed, DecompressorFailed };
  enum class Outcome { Complete, GaveUp, NotDecrypted, NotDecompressed };
  // Which wait a poll belongs to, for the progress bars.
  enum class Stage { Decrypting, Uncompressing };

  CRestorePipeline(std::string installDirectory, std::string key);
  ~CRestorePipeline();
  CRestorePipeline(const CRestorePipeline&) = delete;
  CRestorePipeline& operator=(const CRestorePipeline&) = delete;

  // Starts both tools, the decompressor writing to outputFd.
  Start Begin(int outputFd);
  // Stored bytes as they arrive. Once the decryptor has stopped reading (a wrong key, damaged
  // data) the rest goes nowhere; the caller still takes it all, to stay in step with the server.
  void Feed(const char* data, std::size_t length);
  // No more data: waits for the decryptor and then the decompressor, polling every kChildPollMs
  // (poll(stage) before each step). Until the decryptor has finished well, askGoOn is called
  // every 80 polls; its false stops both tools (GaveUp). After a true, a decryptor that has
  // failed ends the wait (NotDecrypted); without askAboutFailure, it ends the wait at once.
  // Complete means the output holds the whole content, written but not yet flushed.
  Outcome Finish(const std::function<void(Stage)>& poll, const std::function<bool()>& askGoOn,
                 bool askAboutFailure = true);

 private:
  void CloseFeed();

  const std::string installDirectory_;
  const std::string key_;
  ChildProcess decryptor_;
  ChildProcess decompressor_;
  int feed_ = -1;
};

}  // namespace arkvale
