// The two tests by which the line-text digest scheme picks reflection lines.
#include "zt3util/reflection_lines.h"

#include "repository/hkl_records.h"

namespace zt3util {

bool IsReflectionLine(const zodu::vexcstr& line) {
  hkl_util::Ref ref;
  return hkl_util::ReadRecord(line, ref);
}

bool IsReflectionLineLegacy(const zodu::vexcstr& line) {
  hkl_util::Ref ref;
  return hkl_util::ReadIndices(line, ref, true);
}

}  // namespace zt3util
