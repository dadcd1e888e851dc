// The usability rule and the intensities of an HKL line list, gathered one line at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>

#include "repository/hkl_records.h"
#include "sdl/typelist.h"

namespace hkl_util {

// Takes the lines of a list in order, never holding them: counts them, keeps the first
// line's length as the model length and, when asked to, reads the intensity of every
// record of that length, so that a file need not be held whole to be summarised.
class IntensityScan {
 public:
  // `collect`: read intensities. `textBytes`, when known, bounds the number of records
  // (each takes the model length and a line feed), so their array is sized once.
  explicit IntensityScan(bool collect, uint64_t textBytes = 0)
      : collect_(collect), textBytes_(textBytes) {}

  void Take(const char* line, size_t length) {
    if (lines_++ == 0) TakeFirst(length);
    if (collect_ && length == modelLength_ && !error_) Read(line, length);
  }

  size_t LineCount() const { return lines_; }
  // The first line's length; 0 before any line.
  size_t ModelLength() const { return modelLength_; }
  // At least kMinLines lines, the first of at least kRecordWidth characters.
  bool IsUsable() const { return lines_ >= kMinLines && modelLength_ >= kRecordWidth; }
  // The intensities of the records of the model length, in order (none unless collected).
  // A line whose field passed its test but could not be read raises its number error
  // here, as reading the list whole would have.
  const zodu::TArrayList<double>& Intensities() const&;
  // The same, moved out of a scan that is done.
  zodu::TArrayList<double> Intensities() &&;

 private:
  void TakeFirst(size_t length);
  void Read(const char* line, size_t length);

  bool collect_;
  uint64_t textBytes_;
  size_t lines_ = 0;
  size_t modelLength_ = 0;
  zodu::TArrayList<double> intensities_;
  std::exception_ptr error_;
};

}  // namespace hkl_util
