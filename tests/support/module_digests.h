// Reference hash texts for the digest tests, from OpenSSL's compression functions with
// the module's in-memory padding rebuilt by hand: a 32-bit bit count, and no extra block
// when 56 bytes remain, so that the count overwrites the 0x80 mark.
#pragma once

#include <openssl/evp.h>
#include <openssl/md5.h>
#include <openssl/sha.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace reference {

// Feeds the message's blocks and the module's final block (or two) to `transform`.
template <class Transform>
void HashWithModulePadding(const std::string& message, bool bigEndianCount, Transform transform) {
  size_t whole = message.size() / 64 * 64;
  for (size_t at = 0; at < whole; at += 64)
    transform(reinterpret_cast<const unsigned char*>(message.data() + at));
  unsigned char block[64] = {};
  const size_t rest = message.size() - whole;
  std::memcpy(block, message.data() + whole, rest);
  block[rest] = 0x80;
  if (rest > 56) {
    transform(block);
    std::memset(block, 0, 56);
  }
  const uint32_t bits = static_cast<uint32_t>(message.size() * 8);
  std::memset(block + 56, 0, 8);
  for (int i = 0; i < 4; ++i) {
    if (bigEndianCount)
      block[63 - i] = static_cast<unsigned char>(bits >> (8 * i));
    else
      block[56 + i] = static_cast<unsigned char>(bits >> (8 * i));
  }
  transform(block);
}

inline std::string Hex(const unsigned char* bytes, size_t count, size_t group) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (group && i && i % group == 0) text += ' ';
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

// The standard SHA-256 of `bytes`, as sha256sum prints it.
inline std::string Sha256(const std::string& bytes) {
  unsigned char digest[32];
  EVP_Digest(bytes.data(), bytes.size(), digest, nullptr, EVP_sha256(), nullptr);
  return Hex(digest, 32, 0);
}

inline std::string MD5Text(const std::string& message) {
  MD5_CTX ctx;
  MD5_Init(&ctx);
  HashWithModulePadding(message, false, [&](const unsigned char* b) { MD5_Transform(&ctx, b); });
  const uint32_t words[4] = {ctx.A, ctx.B, ctx.C, ctx.D};
  unsigned char digest[16];
  for (int w = 0; w < 4; ++w)
    for (int i = 0; i < 4; ++i) digest[4 * w + i] = static_cast<unsigned char>(words[w] >> (8 * i));
  return Hex(digest, 16, 0);
}

inline std::string ShaText(const std::string& message, bool sha224) {
  SHA256_CTX ctx;
  sha224 ? SHA224_Init(&ctx) : SHA256_Init(&ctx);
  HashWithModulePadding(message, true, [&](const unsigned char* b) { SHA256_Transform(&ctx, b); });
  const int words = sha224 ? 7 : 8;
  unsigned char digest[32];
  for (int w = 0; w < words; ++w)
    for (int i = 0; i < 4; ++i)
      digest[4 * w + i] = static_cast<unsigned char>(ctx.h[w] >> (24 - 8 * i));
  return Hex(digest, 4 * words, 4);
}

inline std::string SHA256Text(const std::string& message) {
  return ShaText(message, false);
}
inline std::string SHA224Text(const std::string& message) {
  return ShaText(message, true);
}

// One digest part from its tag and main hash: schemes 1 and 2 hash the text with its first
// character replaced by the part's "0" or "1", scheme 3 hashes it unchanged; scheme 1 takes
// the check digits at 1, 9, 17, 25, the others at 0, 8, 16, 24.
inline std::string Part(const std::string& tag, const std::string& mainHash) {
  const std::string d = tag + mainHash;
  const char scheme = tag[1];
  const std::string source =
      scheme == '3' ? d : std::string(1, tag[0] == '4' ? '0' : '1') + d.substr(1);
  const std::string check = MD5Text(source);
  const size_t first = scheme == '1' ? 1 : 0;
  return d + check[first] + check[first + 8] + check[first + 16] + check[first + 24];
}

}  // namespace reference
