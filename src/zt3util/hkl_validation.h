// Checking HKL digests against an HKL file or a reflection list held as text.
#pragma once

#include "zt3util/hkl_scan.h"
#include "zt3util/stored_digest.h"

namespace zt7 {

// Recomputes the digest of the scanned lines under the scheme that `first` names and
// compares it part by part, never comparing a part's first character. A scheme-1 part 1
// that does not match is tried once more under the legacy reflection-line test. The scan
// gathered what `first` needs. `first` and `second` may be null.
int ValidateDigests(const HklScan& scan, const char* first, const char* second);

// ValidateDigests of the file's lines, read once; a file whose digest does not match may
// still pass as a test crystal whose cell agrees with its structure file (code 1).
int ValidateHklDigests(const zodu::vexstr& path, const char* first, const char* second);

// ValidateHklDigests of a scan of the file at `path`, made with NeedsOfValidation of the
// scheme that `first` names and the cell line.
int ValidateHklScan(const HklScan& scan, const zodu::vexstr& path, const char* first,
                    const char* second);

// What a scan must gather to validate a part 1 of scheme `version` (ScanNeeds for the
// test-crystal cell aside).
ScanNeeds NeedsOfValidation(int version);
// NeedsOfValidation of the scheme that `first` names; nothing for a part too short to be
// compared.
ScanNeeds NeedsToValidate(const char* first);

// ValidateDigests of a text split at line feeds (empty pieces skipped, carriage returns kept).
int ValidateRefsDigests(const char* text, const char* first, const char* second);

}  // namespace zt7
