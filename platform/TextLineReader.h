#pragma once
// ReadTextLine's lines, read from large blocks of the file instead of a character at a time:
// for long files read from start to end (the server's listing).
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

class TextLineReader {
 public:
  // Lines of at most bufferSize - 1 characters, as ReadTextLine(stream, bufferSize) gives them.
  TextLineReader(FILE* stream, std::size_t bufferSize);

  // The next line, valid until the next call; nullopt at end of file with nothing read. The
  // reader takes the stream's input ahead of the lines it has given.
  std::optional<std::string_view> Next();

 private:
  bool Refill();

  FILE* stream_;
  std::size_t limit_;
  std::vector<char> block_;
  std::size_t at_ = 0;
  std::size_t end_ = 0;
  std::string line_;
};

}  // namespace plat
