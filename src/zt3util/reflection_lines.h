// The two tests by which the line-text digest scheme picks reflection lines.
#pragma once

#include <cstddef>

namespace zt7 {

// True when hkl_util::ParseRef gives a record for the line.
bool IsReflectionLine(const char* line, size_t length);

// The same field tests and index reading, except that an index written as a lone 0 in the
// field's last column fails: the test of digests made before such lines counted. The real
// fields are tested but not read.
bool IsReflectionLineLegacy(const char* line, size_t length);

}  // namespace zt7
