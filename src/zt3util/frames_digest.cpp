// The frames digest: listing, sampling the frames, mixing the hashes, and validation.
#include "zt3util/frames_digest.h"

#include <algorithm>
#include <cstdio>   // for snprintf
#include <cstring>  // for strlen

#include "sdl/bapp.h"
#include "sdl/efile.h"
#include "sdl/estrlist.h"
#include "sdl/hex.h"
#include "sdl/utf8_path.h"
#include "zt3util/check_characters.h"
#include "zt3util/reason_log.h"
#include "zt3util/stored_digest.h"

namespace zt7 {
namespace {

using zodu::TBasicApp;
using zodu::TEFile;
using zodu::vexcstr;
using zodu::vexstr;

constexpr int kSampledFrames = 4;
constexpr int kMixingPasses = 10;

// Ordinal order of the 16-bit code units; a name that is a prefix of another comes first.
bool ByCodeUnits(const vexstr& a, const vexstr& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

// The raw MD5 of a frame, read as a stream.
FrameDigestBytes HashFrame(const vexstr& path) {
  TEFile frame(path, u"rb");
  return zodu::MD5Bytes(frame);
}

vexcstr HexOf(const FrameDigestBytes& digest) {
  return zodu::BytesToHex(digest.data(), digest.size(), 0, 0);
}

// The frame count, padded with "0" to five digits when shorter.
vexcstr FrameCountText(size_t count) {
  char text[24];
  int n = std::snprintf(text, sizeof(text), "%05u", static_cast<unsigned>(count));
  return vexcstr(text, static_cast<size_t>(n));
}

// `part` followed by the characters 0, 8, 16 and 24 of its own MD5 text.
vexcstr WithCheckCharacters(vexcstr part) {
  AppendCheckCharacters(part, part, {0, 8, 16, 24});
  return part;
}

}  // namespace

bool MatchesFramesMask(const std::string& name, const std::string& mask) {
  const vexstr wide = zodu::PathFromUtf8(name.data(), name.size());
  return TEFile::FileMask(zodu::PathFromUtf8(mask.data(), mask.size()))
      .Matches(wide.raw(), wide.Length());
}

size_t PickFrameIndex(const FrameDigestBytes& digest, size_t count) {
  size_t bytes = std::min<size_t>(count / 255 + 1, 4);
  uint32_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value |= uint32_t(digest[i]) << (8 * i);
  return value == 0 ? count - 1 : value % count;
}

vexcstr ComputeFramesDigest(const vexstr& folder, const vexstr& mask) {
  if (!TEFile::IsFolder(folder)) return vexcstr();
  zodu::TStrList names;
  // A folder that cannot be read to its end gives no names, never a part of them.
  if (!TEFile::ListFolder(folder, names, mask, TEFile::kListFiles)) names.Clear();
  const size_t count = names.Count();
  if (count < 2) {
    TBasicApp::NewLogEntry(zodu::kLogPlain) << "Too few frames";
    return vexcstr();
  }
  std::sort(names.begin(), names.end(), ByCodeUnits);
  vexstr prefix(folder);
  TEFile::AppendSeparatorInPlace(prefix);

  FrameDigestBytes digest = HashFrame(prefix + names[0]);
  vexcstr a = HexOf(digest), b, c;
  for (int j = 0; j < kSampledFrames; ++j) {
    digest = HashFrame(prefix + names[PickFrameIndex(digest, count)]);
    (j < 2 ? b : c) << HexOf(digest);
  }
  for (int pass = 0; pass < kMixingPasses; ++pass) {
    a = zodu::MD5Text(a + b);
    b = zodu::MD5Text(a + b);
    c = zodu::MD5Text(a + b + c);
  }
  vexcstr frameCount = FrameCountText(count);
  vexcstr first = WithCheckCharacters(vexcstr("01") << zodu::MD5Text(a + b) << frameCount);
  vexcstr second = WithCheckCharacters(vexcstr("11") << zodu::MD5Text(a + b + c) << frameCount);
  return first << ',' << second;
}

vexcstr DigestFolder(const vexstr& folder, const vexstr& mask) {
  if (folder.IsEmpty()) {
    TBasicApp::NewLogEntry(zodu::kLogPlain) << "Empty frames folder name";
    return vexcstr();
  }
  if (!TEFile::IsFolder(folder)) {
    TBasicApp::NewLogEntry(zodu::kLogPlain) << "Not a directory";
    return vexcstr();
  }
  TBasicApp::NewLogEntry(zodu::kLogPlain) << "Proceeding to the frames digesting";
  return ComputeFramesDigest(folder, mask);
}

int ValidateFramesDigests(const vexstr& folder, const vexstr& mask, const char* first,
                          const char* second) {
  if (first == nullptr || std::strlen(first) < 10) {
    LogReason(u"no first frames digest part, or one shorter than 10 characters");
    return kNotValid;
  }
  int scheme = first[1] - '0';
  if (scheme < 1 || scheme > 11) {
    LogReason(u"the first frames digest part names no known scheme");
    return kNotValid;
  }
  vexcstr current = DigestFolder(folder, mask);
  if (current.IsEmpty()) return kNotValid;
  zodu::TCStrList parts;
  parts.Strtok(current, ',');
  if (!SameAfterFirst(first, parts[0])) {
    LogReason(vexstr(u"frames digest part 1 does not match the frames in ") << Quoted(folder));
    return kNotValid;
  }
  if (second != nullptr && std::strlen(second) > 10 && parts.Count() >= 2) {
    if (SameAfterFirst(second, parts[1])) return kBothValid;
    LogReason(vexstr(u"frames digest part 2 does not match the frames in ") << Quoted(folder));
  }
  return kFirstValid;
}

}  // namespace zt7
