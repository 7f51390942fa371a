#include "client/transfer/RestorePipeline.h"

#include <chrono>
#include <thread>
#include <utility>

#include "platform/Pipes.h"

namespace arkvale {

namespace {

// The slow-decryption question comes back after this many polls.
constexpr int kPollsPerQuestion = 80;
// A decryptor that takes nothing for this long is taken as stuck.
constexpr int kFeedTimeoutMs = 60000;

}  // namespace

CRestorePipeline::CRestorePipeline(std::string installDirectory, std::string key)
    : installDirectory_(std::move(installDirectory)), key_(std::move(key)) {}

CRestorePipeline::~CRestorePipeline() {
  CloseFeed();
  decryptor_.Stop();
  decompressor_.Stop();
}

void CRestorePipeline::CloseFeed() { plat::CloseEnd(std::exchange(feed_, -1)); }

CRestorePipeline::Start CRestorePipeline::Begin(int outputFd) {
  int feed[2];
  int between[2];
  if (!plat::MakeFeed(feed)) return Start::DecryptorFailed;
  if (!plat::MakePipe(between)) {
    plat::CloseEnd(feed[0]);
    plat::CloseEnd(feed[1]);
    return Start::DecryptorFailed;
  }
  feed_ = feed[1];
  // The key reaches the decryptor on a descriptor of its own: standard input carries the data.
  const bool decrypting = decryptor_.Start(installDirectory_, ChildTool::Ccrypt,
                                           RestoreDecryptWords(key_), {feed[0], between[1]});
  const bool decompressing =
      decrypting && decompressor_.Start(installDirectory_, ChildTool::Gzip,
                                        RestoreDecompressWords(), {between[0], outputFd});
  for (int end : {feed[0], between[0], between[1]}) plat::CloseEnd(end);
  if (decompressing) return Start::Started;
  CloseFeed();
  decryptor_.Stop();
  return decrypting ? Start::DecompressorFailed : Start::DecryptorFailed;
}

void CRestorePipeline::Feed(const char* data, std::size_t length) {
  if (feed_ >= 0 && !plat::Feed(feed_, data, length, kFeedTimeoutMs)) CloseFeed();
}

CRestorePipeline::Outcome CRestorePipeline::Finish(const std::function<void(Stage)>& poll,
                                                   const std::function<bool()>& askGoOn,
                                                   bool askAboutFailure) {
  CloseFeed();
  int polls = 0;
  while (!(decryptor_.ended() && decryptor_.exitCode() == 0)) {
    if (decryptor_.ended()) {
      if (!askAboutFailure) {
        decompressor_.Stop();
        return Outcome::NotDecrypted;
      }
      // A decryptor that gave up (a wrong key) leaves the wait to the question, as a slow one.
      std::this_thread::sleep_for(std::chrono::milliseconds(kChildPollMs));
    } else {
      decryptor_.WaitStep(kChildPollMs);
    }
    poll(Stage::Decrypting);
    if (++polls % kPollsPerQuestion != 0) continue;
    if (!askGoOn()) {
      decryptor_.Stop();
      decompressor_.Stop();
      return Outcome::GaveUp;
    }
    if (decryptor_.ended() && decryptor_.exitCode() != 0) {
      decompressor_.Stop();
      return Outcome::NotDecrypted;
    }
  }
  while (!decompressor_.WaitStep(kChildPollMs)) poll(Stage::Uncompressing);
  return decompressor_.exitCode() == 0 ? Outcome::Complete : Outcome::NotDecompressed;
}

}  // namespace arkvale
