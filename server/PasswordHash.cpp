#include "server/PasswordHash.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <random>

namespace arkvale::server {

namespace {

constexpr unsigned kIterations = 10000;
constexpr std::string_view kScheme = "pbkdf2-sha256";

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

std::uint32_t Rotate(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(std::uint32_t (&state)[8], const std::uint8_t* block) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
           std::uint32_t(block[4 * i + 2]) << 8 | std::uint32_t(block[4 * i + 3]);
  for (int i = 16; i < 64; ++i) {
    std::uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
    std::uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t t1 = h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) +
                       kRound[i] + w[i];
    std::uint32_t t2 =
        (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
  state[5] += f;
  state[6] += g;
  state[7] += h;
}

std::string_view Bytes(const std::array<std::uint8_t, 32>& digest) {
  return std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size());
}

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

struct State {
  std::uint32_t h[8];
};

// Hashes 32 bytes that follow one block already absorbed into state: padding and length fit
// in the same block, so this is one compression.
std::array<std::uint8_t, 32> FinishAfterOneBlock(State state, const std::uint8_t (&data)[32]) {
  std::uint8_t block[64] = {};
  std::copy(data, data + 32, block);
  block[32] = 0x80;
  constexpr std::uint64_t kBits = (64 + 32) * 8;
  for (int i = 0; i < 8; ++i) block[56 + i] = static_cast<std::uint8_t>(kBits >> (56 - 8 * i));
  Compress(state.h, block);
  std::array<std::uint8_t, 32> digest{};
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<std::uint8_t>(state.h[i] >> (24 - 8 * j));
  return digest;
}

// HMAC-SHA256 under one key, with the key's two padded blocks absorbed once.
class Hmac {
 public:
  explicit Hmac(std::string_view key) {
    std::uint8_t block[64] = {};
    if (key.size() > 64) {
      auto digest = Sha256(key);
      std::copy(digest.begin(), digest.end(), block);
    } else {
      std::copy(key.begin(), key.end(), block);
    }
    key_.assign(reinterpret_cast<const char*>(block), 64);
    std::uint8_t pad[64];
    std::copy(std::begin(kInitial), std::end(kInitial), inner_.h);
    std::copy(std::begin(kInitial), std::end(kInitial), outer_.h);
    for (int i = 0; i < 64; ++i) pad[i] = block[i] ^ 0x36;
    Compress(inner_.h, pad);
    for (int i = 0; i < 64; ++i) pad[i] = block[i] ^ 0x5c;
    Compress(outer_.h, pad);
  }
  std::array<std::uint8_t, 32> Of(std::string_view message) const {
    std::string inner(key_);
    for (char& c : inner) c ^= 0x36;
    std::string outer(key_);
    for (char& c : outer) c ^= 0x5c;
    auto innerDigest = Sha256(inner + std::string(message));
    return Sha256(outer + std::string(Bytes(innerDigest)));
  }
  // The common case of PBKDF2: a message of one digest.
  std::array<std::uint8_t, 32> OfDigest(const std::array<std::uint8_t, 32>& message) const {
    std::uint8_t data[32];
    std::copy(message.begin(), message.end(), data);
    auto innerDigest = FinishAfterOneBlock(inner_, data);
    std::copy(innerDigest.begin(), innerDigest.end(), data);
    return FinishAfterOneBlock(outer_, data);
  }

 private:
  std::string key_;
  State inner_{};
  State outer_{};
};

std::string Hex(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

std::string Unhex(std::string_view hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    unsigned value = 0;
    std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
    out += static_cast<char>(value);
  }
  return out;
}

}  // namespace

std::array<std::uint8_t, 32> Sha256(std::string_view data) {
  std::uint32_t state[8];
  std::copy(std::begin(kInitial), std::end(kInitial), state);
  std::string padded(data);
  padded += static_cast<char>(0x80);
  while (padded.size() % 64 != 56) padded += '\0';
  std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
  for (int shift = 56; shift >= 0; shift -= 8) padded += static_cast<char>(bits >> shift);
  for (std::size_t at = 0; at < padded.size(); at += 64)
    Compress(state, reinterpret_cast<const std::uint8_t*>(padded.data() + at));
  std::array<std::uint8_t, 32> digest{};
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j)
      digest[4 * i + j] = static_cast<std::uint8_t>(state[i] >> (24 - 8 * j));
  return digest;
}

std::string Pbkdf2Sha256(std::string_view password, std::string_view salt, unsigned iterations,
                         std::size_t length) {
  Hmac hmac(password);
  std::string derived;
  for (std::uint32_t blockIndex = 1; derived.size() < length; ++blockIndex) {
    std::string first(salt);
    for (int shift = 24; shift >= 0; shift -= 8) first += static_cast<char>(blockIndex >> shift);
    auto u = hmac.Of(first);
    auto t = u;
    for (unsigned i = 1; i < iterations; ++i) {
      u = hmac.OfDigest(u);
      for (std::size_t j = 0; j < t.size(); ++j) t[j] ^= u[j];
    }
    derived += Bytes(t);
  }
  derived.resize(length);
  return derived;
}

std::string HashPassword(std::string_view password) {
  std::random_device random;
  std::string salt;
  for (int i = 0; i < 4; ++i) {
    unsigned value = random();
    for (int j = 0; j < 4; ++j, value >>= 8) salt += static_cast<char>(value & 0xff);
  }
  return std::string(kScheme) + "$" + std::to_string(kIterations) + "$" + Hex(salt) + "$" +
         Hex(Pbkdf2Sha256(password, salt, kIterations, 32));
}

bool PasswordMatchesHash(std::string_view password, std::string_view stored) {
  std::size_t first = stored.find('$');
  std::size_t second = stored.find('$', first + 1);
  std::size_t third = stored.find('$', second + 1);
  if (first == std::string_view::npos || second == std::string_view::npos ||
      third == std::string_view::npos || stored.substr(0, first) != kScheme)
    return false;
  unsigned iterations = 0;
  std::string_view count = stored.substr(first + 1, second - first - 1);
  auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), iterations);
  if (error != std::errc() || end != count.data() + count.size() || iterations == 0 ||
      iterations > 10000000)
    return false;
  std::string expected = Unhex(stored.substr(third + 1));
  if (expected.size() != 32) return false;
  std::string actual =
      Pbkdf2Sha256(password, Unhex(stored.substr(second + 1, third - second - 1)), iterations, 32);
  unsigned char difference = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) difference |= expected[i] ^ actual[i];
  return difference == 0;
}

}  // namespace arkvale::server
