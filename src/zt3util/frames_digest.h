// The frames digest: a fingerprint of a folder of detector frames, and its validation.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "sdl/md5.h"
#include "sdl/smart/vex_istring.h"

namespace zt7 {

using FrameDigestBytes = std::array<unsigned char, zodu::MD5::kDigestSize>;

// The frames digest of `folder` with the checks and log lines around it: an empty folder
// text or one that is no folder gives the empty text, as too few frames do.
zodu::vexcstr DigestFolder(const zodu::vexstr& folder, const zodu::vexstr& mask);

// "01" part "," "11" part, from the first frame in name order and four frames that a
// chain of their own digests picks; empty when fewer than two files match `mask`.
// A frame that cannot be read raises TFileException.
zodu::vexcstr ComputeFramesDigest(const zodu::vexstr& folder, const zodu::vexstr& mask);

// Whether the file name `name` (UTF-8) is one that a frames digest of `mask` reads: a piece
// of the mask, split at ";", matches it with "*" and "?", case ignored.
bool MatchesFramesMask(const std::string& name, const std::string& mask);

// The index, below `count` (at least 2), of the next frame to read after the frame whose
// raw MD5 is `digest`.
size_t PickFrameIndex(const FrameDigestBytes& digest, size_t count);

// 3 when both stored parts match the folder's digest, 1 when only the first does (or
// no usable second part is given), 0 otherwise. The first character of a part is never
// compared. A missing, short or foreign-scheme first part gives 0 without reading the
// folder.
int ValidateFramesDigests(const zodu::vexstr& folder, const zodu::vexstr& mask, const char* first,
                          const char* second);

}  // namespace zt7
