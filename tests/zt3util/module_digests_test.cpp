// The reference hash texts of the digest tests agree with standard OpenSSL digests except
// where the module's padding differs.
#include "zt3util/module_digests.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <string>

namespace {

std::string Standard(const EVP_MD* md, const std::string& message, size_t group) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(message.data(), message.size(), digest, &size, md, nullptr);
  return reference::Hex(digest, size, group);
}

TEST(ModuleDigests, StandardExceptWhenFiftySixBytesRemain) {
  for (size_t length : {0, 1, 55, 57, 63, 64, 65, 119, 121, 200}) {
    const std::string m(length, 'q');
    EXPECT_EQ(reference::MD5Text(m), Standard(EVP_md5(), m, 0)) << length;
    EXPECT_EQ(reference::SHA256Text(m), Standard(EVP_sha256(), m, 4)) << length;
    EXPECT_EQ(reference::SHA224Text(m), Standard(EVP_sha224(), m, 4)) << length;
  }
  for (size_t length : {56, 120}) {
    const std::string m(length, 'q');
    EXPECT_NE(reference::MD5Text(m), Standard(EVP_md5(), m, 0)) << length;
    EXPECT_NE(reference::SHA256Text(m), Standard(EVP_sha256(), m, 4)) << length;
  }
  EXPECT_EQ(reference::MD5Text("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(reference::SHA224Text("abc").size(), 62u);
  EXPECT_EQ(reference::SHA256Text("abc").size(), 71u);
}

}  // namespace
