// The usability rule and the intensities of an HKL line list, gathered one line at a time.
#include "repository/intensity_scan.h"

#include "sdl/ebase.h"

namespace hkl_util {

const zodu::TArrayList<double>& IntensityScan::Intensities() const& {
  if (error_) std::rethrow_exception(error_);
  return intensities_;
}

zodu::TArrayList<double> IntensityScan::Intensities() && {
  if (error_) std::rethrow_exception(error_);
  return std::move(intensities_);
}

void IntensityScan::TakeFirst(size_t length) {
  modelLength_ = length;
  if (collect_ && textBytes_ != 0 && length >= kRecordWidth)
    intensities_.SetCapacity(static_cast<size_t>(textBytes_ / (length + 1) + 1));
}

void IntensityScan::Read(const char* line, size_t length) {
  double I;
  try {
    if (ReadIntensity(line, length, I)) intensities_.Add(I);
  } catch (const zodu::TExceptionBase&) {
    // Kept for the caller; what follows the first error is never needed.
    error_ = std::current_exception();
  }
}

}  // namespace hkl_util
