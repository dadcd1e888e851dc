// The reflection record and the rule that decides which HKL lines hold reflections.
#include "repository/hkl_records.h"

using namespace zodu;

namespace hkl_util {
namespace {

constexpr size_t kIndexWidth = 4;
constexpr size_t kRealWidth = 8;
constexpr size_t kIntensityColumn = 3 * kIndexWidth;
constexpr size_t kSigmaColumn = kIntensityColumn + kRealWidth;

bool PassesIndexTest(const char* field, bool legacy) {
  if (legacy) {
    size_t i = 0;
    while (i < kIndexWidth && vexcstr::IsBlank(field[i])) ++i;
    if (i == kIndexWidth - 1 && field[i] == '0') return false;
  }
  bool negative = false;
  return vexcstr::IsIntegerText(field, kIndexWidth, negative);
}

int32_t ReadIndex(const char* field) {
  bool negative = false;
  const uint32_t magnitude = vexcstr::o_atoi_s(field, kIndexWidth, negative, 10);
  return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

}  // namespace

bool IsUsable(const TCStrList& lines) {
  return lines.Count() >= kMinLines && lines[0].Length() >= kRecordWidth;
}

bool ReadIndices(const vexcstr& line, Ref& ref, bool legacy) {
  if (line.Length() < kRecordWidth) return false;
  const char* s = line.raw();
  if (!PassesIndexTest(s, legacy) || !PassesIndexTest(s + kIndexWidth, legacy) ||
      !PassesIndexTest(s + 2 * kIndexWidth, legacy) ||
      !vexcstr::IsNumberText(s + kIntensityColumn, kRealWidth) ||
      !vexcstr::IsNumberText(s + kSigmaColumn, kRealWidth))
    return false;
  ref.h = ReadIndex(s);
  ref.k = ReadIndex(s + kIndexWidth);
  ref.l = ReadIndex(s + 2 * kIndexWidth);
  return ref.h != 0 || ref.k != 0 || ref.l != 0;
}

bool ReadRecord(const vexcstr& line, Ref& ref) {
  if (!ReadIndices(line, ref, false)) return false;
  const char* s = line.raw();
  ref.I = vexcstr::o_atof(s + kIntensityColumn, kRealWidth);
  ref.sigma = vexcstr::o_atof(s + kSigmaColumn, kRealWidth);
  return true;
}

vex_object_ptr<Ref> ParseRef(const vexcstr& line) {
  Ref ref;
  if (!ReadRecord(line, ref)) return vex_object_ptr<Ref>();
  return vex_object_ptr<Ref>(new Ref(ref));
}

ConstTypeList<Ref> ParseRefs(const TCStrList& lines, unsigned lineLength) {
  TTypeList<Ref> refs;
  Ref ref;
  for (const vexcstr& line : lines)
    if (line.Length() == lineLength && ReadRecord(line, ref)) refs.AddNew(ref);
  return ConstTypeList<Ref>(std::move(refs));
}

TArrayList<double> ParseIntensities(const TCStrList& lines, unsigned lineLength) {
  TArrayList<double> intensities;
  intensities.SetCapacity(lines.Count());
  Ref ref;
  for (const vexcstr& line : lines)
    if (line.Length() == lineLength && ReadRecord(line, ref)) intensities.Add(ref.I);
  return intensities;
}

TArrayList<double> IntensitiesOf(const TTypeList<Ref>& refs) {
  TArrayList<double> intensities;
  intensities.SetCapacity(refs.Count());
  for (const Ref& ref : refs) intensities.Add(ref.I);
  return intensities;
}

}  // namespace hkl_util
