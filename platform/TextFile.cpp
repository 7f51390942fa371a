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

std::optional<std::string> ReadLineDropLast(FILE* stream, std::size_t bufferSize) {
  std::optional<std::string> line = ReadTextLine(stream, bufferSize);
  if (line) line->pop_back();
  return line;
}

}  // namespace plat
