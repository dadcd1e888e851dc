// SHA-224 and SHA-256 (FIPS 180-4) of a message in memory or of a stream, and their texts.
#include "sdl/sha2.h"

#include "sdl/hash_blocks.h"
#include "sdl/hex.h"
#include "sdl/sha256_blocks.h"

namespace zodu {
namespace {

// FIPS 180-4, sections 5.3.3 and 5.3.2.
constexpr uint32_t kSha256Initial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
constexpr uint32_t kSha224Initial[8] = {0xc1059ed8, 0x367cd507, 0x3070dd17, 0xf70e5939,
                                        0xffc00b31, 0x68581511, 0x64f98fa7, 0xbefa4fa4};

}  // namespace

SHA256::SHA256() : SHA256(kSha256Initial) {}

SHA256::SHA256(const uint32_t (&initial)[8])
    : pieces_(zt7::sha256_blocks::Selected(), zt7::hash_blocks::LengthOrder::Big) {
  for (int i = 0; i < 8; ++i) state_[i] = initial[i];
}

void SHA256::Digest(const void* data, uint32_t length) {
  zt7::hash_blocks::HashMemory(state_, zt7::sha256_blocks::Selected(),
                               zt7::hash_blocks::LengthOrder::Big, data, length);
  StoreDigest();
}

void SHA256::Finish() {
  pieces_.Finish(state_);
  StoreDigest();
}

void SHA256::DigestStream(IInputStream& stream) {
  zt7::hash_blocks::HashStream(state_, zt7::sha256_blocks::Selected(),
                               zt7::hash_blocks::LengthOrder::Big, stream);
  StoreDigest();
}

void SHA256::StoreDigest() {
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 4; ++j)
      digest_[4 * i + j] = static_cast<unsigned char>(state_[i] >> (24 - 8 * j));
  }
}

vexcstr SHA256::ToHex() const {
  return BytesToHex(digest_, kDigestSize, 4, ' ');
}

SHA224::SHA224() : SHA256(kSha224Initial) {}

vexcstr SHA224::ToHex() const {
  return BytesToHex(digest_, kDigestSize, 4, ' ');
}

vexcstr SHA224Text(const vexcstr& text) {
  SHA224 sha224;
  sha224.Digest(text.raw(), static_cast<uint32_t>(text.Length()));
  return sha224.ToHex();
}

vexcstr SHA256Text(const vexcstr& text) {
  SHA256 sha256;
  sha256.Digest(text.raw(), static_cast<uint32_t>(text.Length()));
  return sha256.ToHex();
}

}  // namespace zodu
