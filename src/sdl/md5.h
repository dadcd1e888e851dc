// MD5 (RFC 1321) of a message in memory or of a stream, and its text forms.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sdl/smart/vex_istring.h"

namespace zodu {

class IInputStream;

// One object per message: construct, digest once, read the digest or its text.
class MD5 {
 public:
  static constexpr size_t kDigestSize = 16;

  MD5();
  // Hashes the buffer in place (null allowed with length 0) with the module's padding:
  // differs from standard MD5 when length % 64 == 56 and from 512 MiB on (see hash_blocks.h).
  void Digest(const void* data, uint32_t length);
  // Standard MD5 of the stream's content from its current position.
  void DigestStream(IInputStream& stream);

  const unsigned char* GetDigest() const { return digest_; }
  // 32 lowercase hexadecimal digits.
  vexcstr ToHex() const;

 private:
  void StoreDigest();

  unsigned char digest_[kDigestSize] = {};
  uint32_t state_[4];
};

// MD5 text of the string's characters, hashed in memory (ToHex form).
vexcstr MD5Text(const vexcstr& text);

// The 16 raw digest bytes of the stream's content.
std::array<unsigned char, MD5::kDigestSize> MD5Bytes(IInputStream& stream);

}  // namespace zodu
