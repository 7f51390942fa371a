#include "platform/WindowsNames.h"

#include <cstring>

namespace plat {

namespace {

constexpr unsigned kPrivateBase = 0xF000;

// '/' and NUL are left alone: neither can be part of a host name.
bool NeedsMapping(unsigned char c) {
  return (c >= 1 && c < 32) || (c != 0 && std::strchr("<>:\"\\|?*", c) != nullptr);
}

}  // namespace

std::string WindowsNameOf(const std::string& hostName) {
  std::string out;
  out.reserve(hostName.size());
  for (char ch : hostName) {
    const auto c = static_cast<unsigned char>(ch);
    if (!NeedsMapping(c)) {
      out += ch;
      continue;
    }
    const unsigned code = kPrivateBase + c;
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

std::string HostNameOf(const std::string& windowsText) {
  std::string out;
  out.reserve(windowsText.size());
  for (std::size_t i = 0; i < windowsText.size(); ++i) {
    const auto b0 = static_cast<unsigned char>(windowsText[i]);
    if (b0 == 0xEF && i + 2 < windowsText.size()) {
      const auto b1 = static_cast<unsigned char>(windowsText[i + 1]);
      const auto b2 = static_cast<unsigned char>(windowsText[i + 2]);
      if ((b1 == 0x80 || b1 == 0x81) && (b2 & 0xC0) == 0x80) {
        const unsigned code = ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
        if (code < 128 && NeedsMapping(static_cast<unsigned char>(code))) {
          out += static_cast<char>(code);
          i += 2;
          continue;
        }
      }
    }
    out += windowsText[i];
  }
  return out;
}

bool CarriesAsWindowsName(const std::string& hostName) {
  return HostNameOf(WindowsNameOf(hostName)) == hostName;
}

}  // namespace plat
