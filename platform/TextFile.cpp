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
