// SHA-224 and SHA-256 (FIPS 180-4) of a message in memory or of a stream, and their texts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdl/hash_blocks.h"
#include "sdl/smart/vex_istring.h"

namespace zodu {

class IInputStream;

// One object per message: construct, digest once, read the digest or its text.
class SHA256 {
 public:
  static constexpr size_t kDigestSize = 32;

  SHA256();
  // Hashes the buffer in place (null allowed with length 0) with the module's padding:
  // differs from standard SHA-256 when length % 64 == 56 and from 512 MiB on (see hash_blocks.h).
  void Digest(const void* data, uint32_t length);
  // Standard SHA-256 of the stream's content from its current position.
  void DigestStream(IInputStream& stream);
  // The digest that Digest gives for the pieces joined: Add each piece, then Finish.
  void Add(const void* data, size_t length) { pieces_.Add(state_, data, length); }
  void Finish();

  const unsigned char* GetDigest() const { return digest_; }
  // Eight groups of 8 lowercase hexadecimal digits separated by blanks: 71 characters.
  vexcstr ToHex() const;

 protected:
  explicit SHA256(const uint32_t (&initial)[8]);

  unsigned char digest_[kDigestSize] = {};  // SHA-224 uses the first 28

 private:
  void StoreDigest();

  uint32_t state_[8];
  zt7::hash_blocks::MemoryPieces pieces_;
};

// SHA-256 with its own initial value, cut to 28 bytes.
class SHA224 : private SHA256 {
 public:
  static constexpr size_t kDigestSize = 28;

  SHA224();
  // Same padding rule as SHA256::Digest.
  using SHA256::Digest;

  const unsigned char* GetDigest() const { return digest_; }
  // Seven groups of 8 lowercase hexadecimal digits separated by blanks: 62 characters.
  vexcstr ToHex() const;
};

// SHA texts of the string's characters, hashed in memory (ToHex form).
vexcstr SHA224Text(const vexcstr& text);
vexcstr SHA256Text(const vexcstr& text);

}  // namespace zodu
