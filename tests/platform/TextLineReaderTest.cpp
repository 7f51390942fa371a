// The block reader gives exactly the lines the character reader gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/TextFile.h"
#include "platform/TextLineReader.h"

namespace {

using Lines = std::vector<std::string>;

Lines ByCharacter(FILE* f, std::size_t bufferSize) {
  Lines lines;
  while (auto line = plat::ReadTextLine(f, bufferSize)) lines.push_back(*line);
  return lines;
}

Lines ByBlock(FILE* f, std::size_t bufferSize) {
  Lines lines;
  plat::TextLineReader reader(f, bufferSize);
  while (auto line = reader.Next()) lines.emplace_back(*line);
  return lines;
}

TEST(TextLineReader, ReadsTheLinesReadTextLineReads) {
  // Short cases of every rule, and a long text of CRs, LFs, TABs and long lines in which a CR LF
  // pair straddles the reader's 64 KiB blocks.
  std::vector<std::string> inputs = {"one\r\ntwo\nthree", "a\rb\r\n\r\n", "end\r", "",
                                     "abcdefg\n",         "abc\r\nx",     "ab\rx"};
  std::mt19937 random(5);
  const char alphabet[] = "ab\t\r\n";
  std::string text(200000, 'x');
  for (char& c : text) c = random() % 4 == 0 ? alphabet[random() % 5] : 'x';
  text.replace(65535, 2, "\r\n");
  text.replace(131071, 1, "\r");
  inputs.push_back(text);
  for (const std::string& input : inputs) {
    for (std::size_t bufferSize : {0, 1, 2, 3, 4, 5, 100, 1000}) {
      FILE* a = std::tmpfile();
      std::fwrite(input.data(), 1, input.size(), a);
      std::rewind(a);
      const Lines expected = ByCharacter(a, bufferSize);
      std::rewind(a);
      EXPECT_EQ(ByBlock(a, bufferSize), expected) << input.size() << " bytes, " << bufferSize;
      std::fclose(a);
    }
  }
}

}  // namespace
