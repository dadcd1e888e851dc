// The HKL digest text under the three digest schemes.
#pragma once

#include "sdl/estrlist.h"
#include "zt3util/hkl_scan.h"

namespace zt7 {

// Bits of the part mask.
constexpr unsigned kDigestPart1 = 1;
constexpr unsigned kDigestPart2 = 2;

// What a scan must gather for ComposeDigest under `version` and `legacy`.
ScanNeeds NeedsOfScheme(int version, bool legacy = false);

// The digest of an HKL line list: part 1 (mask bit 1), then a comma and part 2 (mask bit
// 2), each a 38-character text "<part><scheme>" + 32 hash digits + 4 check digits. Version
// 1 digests the text of reflection lines at both ends of the list in sorted order, version
// 2 a histogram of all intensities, any other version the fingerprint of hkl_util;
// `legacy` selects the old reflection-line test of version 1. Fewer than 20 lines, or a
// first line shorter than 28 characters, give the empty text. Number errors of a
// hexadecimal field pass out unchanged. The list is not reordered.
zodu::vexcstr ComposeDigest(const zodu::TCStrList& lines, int version, unsigned mask, bool legacy);

// The same from a scan that gathered NeedsOfScheme(version, legacy) or more.
zodu::vexcstr ComposeDigest(const HklScan& scan, int version, unsigned mask, bool legacy);

}  // namespace zt7
