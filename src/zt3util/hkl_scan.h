// What the HKL digests need from a line list, gathered line by line in one pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "repository/intensity_scan.h"
#include "sdl/estrlist.h"
#include "zt3util/end_lines.h"

namespace zt7 {

// What a scan gathers beyond the count of lines and the model length.
struct ScanNeeds {
  bool intensities = false;     // schemes 2 and 3, and the comparison of an update
  bool endLines = false;        // scheme 1
  bool legacyEndLines = false;  // scheme 1 under the legacy reflection-line test
  bool cellLine = false;        // the test-crystal check of a validation
};

// The lines of an HKL file or list taken once, in order, keeping only what `ScanNeeds`
// names: the digests never hold a file's lines, so a file is read a piece at a time.
class HklScan {
 public:
  // `textBytes`, when known, is the size of the text the lines come from.
  explicit HklScan(const ScanNeeds& needs, uint64_t textBytes = 0);

  // The file's lines, read a piece at a time. File errors go to the caller.
  static HklScan OfFile(const zodu::vexstr& path, const ScanNeeds& needs);
  static HklScan OfLines(const zodu::TCStrList& lines, const ScanNeeds& needs);

  void Take(const char* line, size_t length) {
    if (LineCount() == 0) TakeFirst(length);
    intensities_.Take(line, length);
    if (needs_.cellLine && length >= 5 && (line[0] | 0x20) == 'c' && cellLine_.IsEmpty())
      KeepCellLine(line, length);
    // Lines of another length never count, so no field of theirs is ever read.
    if (length != intensities_.ModelLength()) return;
    if (!reflectionSeen_) SeeReflection(line, length);
    if (ends_) ends_->Offer(line);
    if (legacyEnds_) legacyEnds_->Offer(line);
  }

  size_t LineCount() const { return intensities_.LineCount(); }
  size_t ModelLength() const { return intensities_.ModelLength(); }
  // At least 20 lines, the first of at least 28 characters.
  bool IsUsable() const { return intensities_.IsUsable(); }
  // See hkl_util::IntensityScan::Intensities; none unless needed.
  const zodu::TArrayList<double>& Intensities() const { return intensities_.Intensities(); }
  // See EndLineSelection::Select, under the legacy test when `legacy`; empty unless needed
  // and the list is usable.
  zodu::TCStrList EndLines(size_t nFirst, size_t nLast, bool legacy) const;
  // The first line that starts with "CELL " in any letter case; empty when none or unneeded.
  const zodu::vexcstr& CellLine() const { return cellLine_; }
  // Whether a line of the model length is a reflection line (one that hkl_util::ParseRef
  // reads): without one, every scheme digests an empty text.
  bool HasReflectionLine() const { return reflectionSeen_; }

 private:
  void TakeFirst(size_t length);
  void KeepCellLine(const char* line, size_t length);
  void SeeReflection(const char* line, size_t length);

  ScanNeeds needs_;
  hkl_util::IntensityScan intensities_;
  std::optional<EndLineSelection> ends_, legacyEnds_;
  zodu::vexcstr cellLine_;
  bool reflectionSeen_ = false;
};

}  // namespace zt7
