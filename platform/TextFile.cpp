#include "platform/TextFile.h"

namespace plat {

std::optional<std::string> ReadTextLine(FILE* stream, std::size_t bufferSize) {
  // A buffer of one character holds only the terminator: nothing can ever be read into it.
  if (stream == nullptr || bufferSize < 2) return std::nullopt;
  std::string line;
  while (line.size() < bufferSize - 1) {
    int c = std::getc(stream);
    if (c == EOF) break;
    if (c == '\r') {
      // Peek, so that a pair split across the buffer's end still reads as one newline.
      int next = std::getc(stream);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, stream);
      }
    }
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  if (line.empty()) return std::nullopt;
  return line;
}

TextLineSplitter::TextLineSplitter(std::size_t bufferSize)
    : maxLength_(bufferSize < 2 ? 1 : bufferSize - 1) {}

void TextLineSplitter::Push(char c, std::vector<std::string>& lines) {
  line_.push_back(c);
  if (c == '\n' || line_.size() >= maxLength_) {
    lines.push_back(std::move(line_));
    line_.clear();
  }
}

void TextLineSplitter::Feed(const char* bytes, std::size_t size, std::vector<std::string>& lines) {
  std::size_t i = 0;
  while (i < size) {
    // A CR waits for the next byte, which may come in the next piece.
    if (pendingCr_) {
      pendingCr_ = false;
      if (bytes[i] == '\n') {
        Push('\n', lines);
        ++i;
        continue;
      }
      Push('\r', lines);
    }
    if (bytes[i] == '\r') {
      pendingCr_ = true;
      ++i;
      continue;
    }
    // A run of ordinary bytes goes in at once, up to the line's end or the buffer's room.
    const std::size_t room = maxLength_ - line_.size();
    std::size_t end = i;
    while (end < size && end - i < room && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    if (end == i) {
      Push(bytes[i++], lines);  // the newline
      continue;
    }
    line_.append(bytes + i, end - i);
    i = end;
    if (line_.size() >= maxLength_) {
      lines.push_back(std::move(line_));
      line_.clear();
    }
  }
}

void TextLineSplitter::Finish(std::vector<std::string>& lines) {
  if (pendingCr_) line_.push_back('\r');
  pendingCr_ = false;
  if (!line_.empty()) lines.push_back(std::move(line_));
  line_.clear();
}

std::optional<std::string> ReadValueLine(FILE* stream, std::size_t bufferSize) {
  if (stream != nullptr && std::ftell(stream) == 0) {
    char mark[3] = {};
    const std::size_t got = std::fread(mark, 1, sizeof mark, stream);
    if (got != sizeof mark || std::string(mark, got) != "\xEF\xBB\xBF") std::rewind(stream);
  }
  std::optional<std::string> line = ReadTextLine(stream, bufferSize);
  if (!line) return line;
  if (line->ends_with('\n')) line->pop_back();
  while (line->ends_with('\r')) line->pop_back();
  return line;
}

}  // namespace plat
