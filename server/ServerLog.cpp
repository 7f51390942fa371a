#include "server/ServerLog.h"

#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace arkvale::server {

void LogLine(std::string_view text) {
  static std::mutex mutex;
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &utc);
  std::string line = std::string(stamp) + " " + std::string(text) + "\n";
  std::lock_guard<std::mutex> hold(mutex);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace arkvale::server

namespace arkvale::server {

void LogConnection(int id, std::string_view text) {
  std::string line = "[";
  line += std::to_string(id);
  line += "] ";
  line += text;
  LogLine(line);
}

std::string Printable(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace arkvale::server
