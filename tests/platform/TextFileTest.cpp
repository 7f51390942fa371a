#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/TextFile.h"

namespace {

// A stream holding exactly these bytes.
FILE* StreamOf(const std::string& bytes) {
  FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

std::vector<std::string> ReadAll(const std::string& bytes, std::size_t bufferSize) {
  FILE* f = StreamOf(bytes);
  std::vector<std::string> lines;
  while (std::optional<std::string> line = plat::ReadTextLine(f, bufferSize))
    lines.push_back(*line);
  std::fclose(f);
  return lines;
}

using Lines = std::vector<std::string>;

TEST(TextFile, CrLfReadsAsOneNewlineLoneCrStays) {
  EXPECT_EQ(ReadAll("one\r\ntwo\nthree", 100), (Lines{"one\n", "two\n", "three"}));
  EXPECT_EQ(ReadAll("a\rb\r\n\r\n", 100), (Lines{"a\rb\n", "\n"}));
  EXPECT_EQ(ReadAll("end\r", 100), (Lines{"end\r"}));
  EXPECT_EQ(ReadAll("", 100), Lines{});
}

TEST(TextFile, LongLinesComeBackInPiecesOfBufferMinusOne) {
  EXPECT_EQ(ReadAll("abcdefg\n", 4), (Lines{"abc", "def", "g\n"}));
  EXPECT_EQ(ReadAll("abc\n", 4), (Lines{"abc", "\n"}));
  // The CR is the last character that fits: the pair still reads as one newline.
  EXPECT_EQ(ReadAll("abc\r\nx", 5), (Lines{"abc\n", "x"}));
  EXPECT_EQ(ReadAll("ab\r\n", 3), (Lines{"ab", "\n"}));
  EXPECT_EQ(ReadAll("ab\rx", 4), (Lines{"ab\r", "x"}));
}

TEST(TextFile, TinyBuffersReadNothing) {
  EXPECT_EQ(ReadAll("abc", 1), Lines{});
  EXPECT_EQ(ReadAll("abc", 0), Lines{});
  EXPECT_EQ(ReadAll("ab", 2), (Lines{"a", "b"}));
}

TEST(TextFile, ValueLinesLoseOnlyTheirLineEndAndALeadingByteOrderMark) {
  FILE* f = StreamOf("\xEF\xBB\xBFuser\r\npass\r\r\n\xEF\xBB\xBFx\nlast");
  EXPECT_EQ(plat::ReadValueLine(f, 100), "user");
  EXPECT_EQ(plat::ReadValueLine(f, 100), "pass");
  EXPECT_EQ(plat::ReadValueLine(f, 100), "\xEF\xBB\xBFx");
  EXPECT_EQ(plat::ReadValueLine(f, 100), "last");
  EXPECT_EQ(plat::ReadValueLine(f, 100), std::nullopt);
  std::fclose(f);

  f = StreamOf("abcdef\n");
  EXPECT_EQ(plat::ReadValueLine(f, 4), "abc");
  EXPECT_EQ(plat::ReadValueLine(f, 4), "def");
  EXPECT_EQ(plat::ReadValueLine(f, 4), "");
  std::fclose(f);

  f = StreamOf("\xEF\xBB");
  EXPECT_EQ(plat::ReadValueLine(f, 100), "\xEF\xBB");
  std::fclose(f);
}

TEST(TextFile, TheSplitterReadsAsReadTextLineWhereverThePiecesBreak) {
  const std::string bytes = "one\r\ntwo\rthree\n\r\nlong line here\r";
  for (std::size_t bufferSize : {3u, 6u, 100u}) {
    const Lines expected = ReadAll(bytes, bufferSize);
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
      plat::TextLineSplitter splitter(bufferSize);
      Lines lines;
      splitter.Feed(bytes.data(), cut, lines);
      splitter.Feed(bytes.data() + cut, bytes.size() - cut, lines);
      splitter.Finish(lines);
      EXPECT_EQ(lines, expected) << "buffer " << bufferSize << ", cut at " << cut;
    }
  }
}

}  // namespace
