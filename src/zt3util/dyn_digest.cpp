// DYN digests of reflection files: hashing the file or its reflection loop, the digest
// text, and validation.
#include "zt3util/dyn_digest.h"

#include <bit>
#include <cstdint>
#include <cstring>  // for strlen

#include "sdl/efile.h"
#include "sdl/md5.h"
#include "sdl/sha2.h"
#include "zt3util/check_characters.h"
#include "zt3util/dyn_loop.h"
#include "zt3util/frames_digest.h"
#include "zt3util/reason_log.h"
#include "zt3util/stored_digest.h"

namespace zt7 {
namespace {

using zodu::vexcstr;
using zodu::vexstr;

// The loop text is hashed as the UTF-16LE bytes of its code units, straight from memory.
static_assert(std::endian::native == std::endian::little);

constexpr size_t kMinimumPathLength = 10;

vexcstr HashOfFile(zodu::IInputStream& file) {
  zodu::SHA256 sha256;
  sha256.DigestStream(file);
  return sha256.ToHex();
}

// The SHA-256 text of the loop's lines joined without separators, hashed as they are
// written; empty when the file has no qualifying loop.
vexcstr HashOfReflectionLoop(zodu::IInputStream& file) {
  zodu::SHA256 sha256;
  const auto hash = [&sha256](const vexstr& line) {
    sha256.Add(line.raw(), line.Length() * sizeof(char16_t));
  };
  if (!WriteReflectionLoop(file, hash)) return vexcstr();
  sha256.Finish();
  return sha256.ToHex();
}

// The digest text from the SHA-256 text `x` of the data.
vexcstr DigestText(const vexcstr& x, DynMode mode) {
  const vexcstr summary = zodu::MD5Text(x) << zodu::SHA256Text(x) << zodu::SHA224Text(x);
  vexcstr digest = vexcstr("6") << static_cast<int>(mode) << zodu::MD5Text(summary);
  AppendCheckCharacters(digest, digest, {0, 6, 18, 24});
  return digest;
}

}  // namespace

vexcstr ComputeDynDigest(const vexstr& file, DynMode mode) {
  zodu::TEFile in(file, u"rb");
  return ComputeDynDigest(in, mode);
}

vexcstr ComputeDynDigest(zodu::IInputStream& in, DynMode mode) {
  const vexcstr x = mode == DynMode::kWholeFile ? HashOfFile(in) : HashOfReflectionLoop(in);
  return x.IsEmpty() ? vexcstr() : DigestText(x, mode);
}

vexcstr DigestDynFile(const vexstr& folder, const vexstr& mask, const vexstr& file,
                      const char* first, const char* second) {
  if (file.IsEmpty() || !zodu::TEFile::PathExists(file)) {
    LogReason(vexstr(u"no reflection file ") << Quoted(file));
    return vexcstr();
  }
  // Reflection files are sealed only while both parts of their frames digest check out.
  if ((ValidateFramesDigests(folder, mask, first, second) & 2) == 0) return vexcstr();
  return ComputeDynDigest(file, DynModeOf(file));
}

DynMode DynModeOf(const vexstr& file) {
  return file.EndsWith(vexstr(u".cif_od")) ? DynMode::kReflectionLoop : DynMode::kWholeFile;
}

bool ValidateDynDigest(const vexstr& file, const char* digest) {
  if (digest == nullptr || std::strlen(digest) < 2) {
    LogReason(u"no DYN digest, or one shorter than 2 characters");
    return false;
  }
  if (file.Length() < kMinimumPathLength || !zodu::TEFile::PathExists(file)) {
    LogReason(vexstr(u"no reflection file, or a path under 10 characters: ") << Quoted(file));
    return false;
  }
  // The mode comes from the stored digest, never from the file's name.
  const DynMode mode = digest[1] == '1' ? DynMode::kWholeFile : DynMode::kReflectionLoop;
  const vexcstr computed = ComputeDynDigest(file, mode);
  if (computed.IsEmpty()) return false;  // the reason is logged already
  if (SameAfterFirst(digest, computed)) return true;
  LogReason(vexstr(u"the DYN digest (mode ")
            << static_cast<int>(mode) << u") does not match " << Quoted(file));
  return false;
}

}  // namespace zt7
