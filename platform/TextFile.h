#pragma once
// Reading text files as Windows text mode reads them: a CR LF pair comes back as one newline.
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace plat {

// fgets with text-mode translation: at most bufferSize - 1 characters, up to and including a
// newline; a longer line comes back in pieces. nullopt at end of file with nothing read.
std::optional<std::string> ReadTextLine(FILE* stream, std::size_t bufferSize);

// ReadTextLine's lines out of bytes that come in pieces of any size, for reading a large file in
// big blocks: Feed each piece in order, then Finish. A buffer under 2 counts as 2 (a character a
// line), so every byte is read.
class TextLineSplitter {
 public:
  explicit TextLineSplitter(std::size_t bufferSize);
  void Feed(const char* bytes, std::size_t size, std::vector<std::string>& lines);
  void Finish(std::vector<std::string>& lines);

 private:
  void Push(char c, std::vector<std::string>& lines);

  std::size_t maxLength_;
  std::string line_;
  bool pendingCr_ = false;
};

// The reading rule of the system's own files: one ReadTextLine without its line end (LF, or CR
// LF) and the CRs left before it, so a file edited elsewhere reads like one written here. A
// UTF-8 byte-order mark at the start of the file is skipped. nullopt at end of file.
std::optional<std::string> ReadValueLine(FILE* stream, std::size_t bufferSize);

}  // namespace plat
