// Picking the reflection lines at both ends of an HKL file for the line-text digest.
#include "zt3util/end_lines.h"

#include "zt3util/reflection_lines.h"

using namespace zodu;

namespace zt3util {

TCStrList SelectEndLines(const TCStrList& lines, size_t lineLength, size_t nFirst, size_t nLast,
                         bool legacy) {
  bool (*const qualifies)(const vexcstr&) = legacy ? IsReflectionLineLegacy : IsReflectionLine;
  auto takes = [&](const vexcstr& line) { return line.Length() == lineLength && qualifies(line); };
  TCStrList selected;
  for (size_t i = 0; i < lines.Count() && selected.Count() < nFirst; ++i)
    if (takes(lines[i])) selected.Add(lines[i]);
  for (size_t i = lines.Count(); i-- > 0 && selected.Count() < nFirst + nLast;)
    if (takes(lines[i])) selected.Add(lines[i]);
  return selected;
}

}  // namespace zt3util
