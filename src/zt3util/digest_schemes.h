// The HKL digest text under the three digest schemes.
#pragma once

#include "sdl/estrlist.h"

namespace zt3util {

// Bits of the part mask.
constexpr unsigned kDigestPart1 = 1;
constexpr unsigned kDigestPart2 = 2;

// The digest of an HKL line list: part 1 (mask bit 1), then a comma and part 2 (mask bit
// 2), each a 38-character text "<part><scheme>" + 32 hash digits + 4 check digits. Version
// 1 digests the text of reflection lines at both ends of the sorted list (and leaves the
// caller's list sorted), version 2 a histogram of all intensities, any other version the
// fingerprint of hkl_util; `legacy` selects the old reflection-line test of version 1.
// Fewer than 20 lines, or a first line shorter than 28 characters, give the empty text.
// Number errors of a hexadecimal field pass out unchanged.
zodu::vexcstr ComposeDigest(zodu::TCStrList& lines, int version, unsigned mask, bool legacy);

// ComposeDigest with the model line length given rather than taken from the first line,
// for a list reordered after its length was taken. A length below 28 gives the empty text.
zodu::vexcstr ComposeDigestOfLength(zodu::TCStrList& lines, size_t lineLength, int version,
                                    unsigned mask, bool legacy);

}  // namespace zt3util
