#include "platform/TextLineReader.h"

#include <algorithm>
#include <cstring>

namespace plat {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;

}  // namespace

TextLineReader::TextLineReader(FILE* stream, std::size_t bufferSize)
    // A buffer of one character holds only the terminator: nothing can ever be read into it.
    : stream_(stream), limit_(stream == nullptr || bufferSize < 2 ? 0 : bufferSize - 1) {
  line_.reserve(std::min<std::size_t>(limit_, 1024));
}

bool TextLineReader::Refill() {
  if (block_.empty()) block_.resize(kBlockSize);
  at_ = 0;
  end_ = std::fread(block_.data(), 1, block_.size(), stream_);
  return end_ > 0;
}

std::optional<std::string_view> TextLineReader::Next() {
  line_.clear();
  while (line_.size() < limit_) {
    if (at_ == end_ && !Refill()) break;
    // Plain characters up to the next CR or LF, as many as the line has room for.
    const char* from = block_.data() + at_;
    const std::size_t span = std::min(end_ - at_, limit_ - line_.size());
    const char* stop = static_cast<const char*>(std::memchr(from, '\n', span));
    const char* cr = static_cast<const char*>(std::memchr(from, '\r', stop ? stop - from : span));
    if (cr != nullptr) stop = cr;
    const std::size_t plain = stop != nullptr ? static_cast<std::size_t>(stop - from) : span;
    line_.append(from, plain);
    at_ += plain;
    if (stop == nullptr) continue;
    char c = block_[at_++];
    if (c == '\r') {
      // A pair split across two blocks still reads as one newline.
      if (at_ == end_) Refill();
      if (at_ < end_ && block_[at_] == '\n') {
        ++at_;
        c = '\n';
      }
    }
    line_.push_back(c);
    if (c == '\n') break;
  }
  if (line_.empty()) return std::nullopt;
  return std::string_view(line_);
}

}  // namespace plat
