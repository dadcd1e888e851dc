// What the HKL digests need from a line list, gathered line by line in one pass.
#include "zt3util/hkl_scan.h"

#include "repository/hkl_records.h"
#include "repository/narrow_lines.h"
#include "sdl/ebase.h"
#include "zt3util/reflection_lines.h"

using namespace zodu;

namespace zt7 {

HklScan::HklScan(const ScanNeeds& needs, uint64_t textBytes)
    : needs_(needs), intensities_(needs.intensities, textBytes) {}

HklScan HklScan::OfFile(const vexstr& path, const ScanNeeds& needs) {
  NarrowRunReader file(path);
  HklScan scan(needs, file.Size());
  ForEachNarrowLineOf(file, [&scan](const char* line, size_t length) { scan.Take(line, length); });
  return scan;
}

HklScan HklScan::OfLines(const TCStrList& lines, const ScanNeeds& needs) {
  HklScan scan(needs);
  for (const vexcstr& line : lines) scan.Take(line.raw(), line.Length());
  return scan;
}

void HklScan::TakeFirst(size_t length) {
  // Shorter model lines make the list unusable: nothing to select then.
  if (length < hkl_util::kRecordWidth) return;
  if (needs_.endLines) ends_.emplace(length, kEndLinesOfPart2, false);
  if (needs_.legacyEndLines) legacyEnds_.emplace(length, kEndLinesOfPart2, true);
}

void HklScan::KeepCellLine(const char* line, size_t length) {
  const vexcstr candidate(line, length);
  if (candidate.SubString(0, 5).Equalsi(vexcstr("CELL "))) cellLine_ = candidate;
}

void HklScan::SeeReflection(const char* line, size_t length) {
  try {
    reflectionSeen_ = IsReflectionLine(line, length);
  } catch (const TExceptionBase&) {
    // Not a reflection line to count: a digest that reads it raises the same error, and
    // one that never reads it has another reflection line.
  }
}

TCStrList HklScan::EndLines(size_t nFirst, size_t nLast, bool legacy) const {
  const std::optional<EndLineSelection>& ends = legacy ? legacyEnds_ : ends_;
  return ends && IsUsable() ? ends->Select(nFirst, nLast) : TCStrList();
}

}  // namespace zt7
