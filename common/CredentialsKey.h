#pragma once
// The fixed key that protects the login credentials on the wire; the client and the reference
// server both build it from this one source.
#include <cstddef>

namespace arkvale {

inline constexpr std::size_t kCredentialsKeyLength = 64;

// Fills out with the 64 printable characters of the key and a terminating NUL.
void AssembleCredentialsKey(char (&out)[kCredentialsKeyLength + 1]);

}  // namespace arkvale
