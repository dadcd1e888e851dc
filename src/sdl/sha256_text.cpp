// Standard SHA-256 of bytes in memory.
#include "sdl/sha256_text.h"

#include "sdl/hex.h"
#include "sdl/memstream.h"
#include "sdl/sha2.h"

namespace zt7 {

std::string Sha256Hex(std::string_view bytes) {
  // The stream path pads as FIPS 180-4 does; a stream of the bytes feeds it.
  zodu::TEMemoryStream stream(size_t(1) << 16);
  if (!bytes.empty()) stream.Write(bytes.data(), bytes.size());
  stream.SetPosition(0);
  zodu::SHA256 sha;
  sha.DigestStream(stream);
  const zodu::vexcstr hex = zodu::BytesToHex(sha.GetDigest(), zodu::SHA256::kDigestSize, 0, 0);
  return std::string(hex.raw(), hex.Length());
}

}  // namespace zt7
