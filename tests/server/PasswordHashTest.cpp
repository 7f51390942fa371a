#include <gtest/gtest.h>

#include <string>

#include "server/PasswordHash.h"

namespace arkvale::server {
namespace {

std::string Hex(std::string_view bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) out += std::string{kHex[c >> 4], kHex[c & 15]};
  return out;
}

TEST(PasswordHashTest, DigestsMatchPublishedVectors) {
  auto abc = Sha256("abc");
  EXPECT_EQ(Hex(std::string_view(reinterpret_cast<const char*>(abc.data()), abc.size())),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  auto twoBlocks = Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq");
  EXPECT_EQ(
      Hex(std::string_view(reinterpret_cast<const char*>(twoBlocks.data()), twoBlocks.size())),
      "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Hex(Pbkdf2Sha256("password", "salt", 1, 32)),
            "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
  EXPECT_EQ(Hex(Pbkdf2Sha256("password", "salt", 4096, 32)),
            "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
  EXPECT_EQ(Hex(Pbkdf2Sha256("passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt",
                             4096, 40)),
            "348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1c635518c7dac47e9");
}

TEST(PasswordHashTest, StoredFormHidesThePasswordAndChecksIt) {
  std::string stored = HashPassword("secret");
  EXPECT_EQ(stored.find("secret"), std::string::npos);
  EXPECT_NE(stored, HashPassword("secret"));  // salted
  EXPECT_TRUE(PasswordMatchesHash("secret", stored));
  EXPECT_FALSE(PasswordMatchesHash("Secret", stored));
  EXPECT_FALSE(PasswordMatchesHash("", stored));
  EXPECT_FALSE(PasswordMatchesHash("secret", "secret"));
  EXPECT_FALSE(PasswordMatchesHash("secret", "pbkdf2-sha256$0$00$00"));
  EXPECT_FALSE(PasswordMatchesHash("secret", "pbkdf2-sha256$x$$"));
}

}  // namespace
}  // namespace arkvale::server
