#pragma once
// The login message: "user,password," encrypted by ccrypt under the fixed built-in key.
#include <optional>
#include <string>
#include <string_view>

namespace arkvale::server {

struct Credentials {
  std::string user;
  std::string password;
};

// Decrypts with the host's ccrypt in a private temporary directory; the key reaches ccrypt
// through a pipe, never its command line. nullopt when the bytes do not decrypt under the key.
std::optional<std::string> DecryptCredentials(std::string_view encrypted);

// Splits "user,password," (a comma after each); nullopt for any other shape or an empty user.
std::optional<Credentials> ParseCredentials(std::string_view text);

}  // namespace arkvale::server
