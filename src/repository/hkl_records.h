// The reflection record and the rule that decides which HKL lines hold reflections.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdl/constlist.h"
#include "sdl/estrlist.h"
#include "sdl/smart/vex_ptr.h"
#include "sdl/typelist.h"

namespace hkl_util {

// One reflection: Miller indices, intensity and its standard uncertainty.
struct Ref {
  int32_t h, k, l;
  double I, sigma;
};

// h, k, l take 4 columns each, I and sigma 8 each; what follows is never read.
constexpr size_t kRecordWidth = 28;
// Fewer lines than this hold no comparable reflections.
constexpr size_t kMinLines = 20;

// A line list is usable when it has kMinLines lines and its first line, whose length is
// then the model length, has at least kRecordWidth characters.
bool IsUsable(const zodu::TCStrList& lines);

// The field tests in column order, then h, k and l read into `ref`: true when all tests
// pass and the indices are not all 0 (the end marker). With `legacy` an index field whose
// first non-blank character is a 0 in its last column fails. A line shorter than
// kRecordWidth gives false. A hexadecimal index field passes its test and then raises
// "Invalid integer format".
bool ReadIndices(const char* line, size_t length, Ref& ref, bool legacy);
inline bool ReadIndices(const zodu::vexcstr& line, Ref& ref, bool legacy) {
  return ReadIndices(line.raw(), line.Length(), ref, legacy);
}

// ReadIndices, then I and sigma; a hexadecimal real field raises "Invalid float format".
bool ReadRecord(const char* line, size_t length, Ref& ref);
inline bool ReadRecord(const zodu::vexcstr& line, Ref& ref) {
  return ReadRecord(line.raw(), line.Length(), ref);
}

// ReadRecord's answer and errors, with only the intensity kept.
bool ReadIntensity(const char* line, size_t length, double& I);

// The line's record, or null when ReadRecord says it holds none.
zodu::vex_object_ptr<Ref> ParseRef(const zodu::vexcstr& line);

// Records of the lines of length `lineLength`, in order; other lines are skipped silently,
// also after an end marker.
zodu::ConstTypeList<Ref> ParseRefs(const zodu::TCStrList& lines, unsigned lineLength);

// The records' intensities in one array, in order.
zodu::TArrayList<double> IntensitiesOf(const zodu::TTypeList<Ref>& refs);

}  // namespace hkl_util
