// The two tests by which the line-text digest scheme picks reflection lines.
#include "zt3util/reflection_lines.h"

#include "repository/hkl_records.h"

namespace zt7 {

bool IsReflectionLine(const char* line, size_t length) {
  hkl_util::Ref ref;
  return hkl_util::ReadRecord(line, length, ref);
}

bool IsReflectionLineLegacy(const char* line, size_t length) {
  hkl_util::Ref ref;
  return hkl_util::ReadIndices(line, length, ref, true);
}

}  // namespace zt7
