#pragma once
// Account passwords are kept only as salted PBKDF2-HMAC-SHA256 digests, so the catalog file
// does not give them away.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace arkvale::server {

std::array<std::uint8_t, 32> Sha256(std::string_view data);
std::string Pbkdf2Sha256(std::string_view password, std::string_view salt, unsigned iterations,
                         std::size_t length);

// "pbkdf2-sha256$ITERATIONS$SALT$DIGEST" (salt and digest in hex) with a fresh random salt.
std::string HashPassword(std::string_view password);
// Whether password produces stored; comparison in constant time.
bool PasswordMatchesHash(std::string_view password, std::string_view stored);

}  // namespace arkvale::server
