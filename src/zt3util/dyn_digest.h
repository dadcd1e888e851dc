// DYN digests of reflection files: the whole file, or the reflection loop of a .cif_od file.
#pragma once

#include "sdl/istream.h"
#include "sdl/smart/vex_istring.h"

namespace zt7 {

enum class DynMode : int {
  kWholeFile = 1,       // the file's bytes
  kReflectionLoop = 2,  // the text of the first block's "_refln" loop as the writer lays it out
};

// "6", the mode digit, the MD5 text of the mode's summary and four check characters: 38
// characters. Empty in loop mode when the text does not parse or has no qualifying loop.
// Only a regular file is opened; anything else, or a failed read, raises TFileException.
zodu::vexcstr ComputeDynDigest(const zodu::vexstr& file, DynMode mode);
// The same of a file's bytes read from `in`.
zodu::vexcstr ComputeDynDigest(zodu::IInputStream& in, DynMode mode);

// The digest of `file` (loop mode for a name ending in ".cif_od", case-sensitive) when the
// frames digest parts `first` and `second` both still check out; empty otherwise.
zodu::vexcstr DigestDynFile(const zodu::vexstr& folder, const zodu::vexstr& mask,
                            const zodu::vexstr& file, const char* first, const char* second);

// Whether `digest` seals `file` in the mode that its second character names ("1" whole
// file, anything else loop). The first character is never compared. A null digest, one
// under two characters, or a path under ten characters gives false without reading.
bool ValidateDynDigest(const zodu::vexstr& file, const char* digest);
// The mode in which the file named `file` is sealed: its reflection loop for a name ending
// in ".cif_od" (case-sensitive), else its bytes.
DynMode DynModeOf(const zodu::vexstr& file);

}  // namespace zt7
