// The reflection record and the rule that decides which HKL lines hold reflections.
#include "repository/hkl_records.h"

#include <bit>  // for countr_one, countr_zero

#include "repository/byte_words.h"

using namespace zodu;

namespace hkl_util {
namespace {

constexpr size_t kIndexWidth = 4;
constexpr size_t kRealWidth = 8;
constexpr size_t kIntensityColumn = 3 * kIndexWidth;
constexpr size_t kSigmaColumn = kIntensityColumn + kRealWidth;

// The number written by eight digit values, most significant in the lowest byte.
uint32_t EightDigits(uint64_t v) {
  v = v * 10 + (v >> 8);
  v = ((v & 0x000000FF000000FFull) * (100 + (1000000ull << 32)) +
       ((v >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32))) >>
      32;
  return static_cast<uint32_t>(v);
}

// The characters of a field are classified in one word, eight at a time: bit i of a mask
// stands for character i. Fields of every width then cost the same few operations, with
// no branch on the data.
struct FieldClasses {
  unsigned blank, minus, digit, dot;
  uint64_t values;  // each character minus '0': the digits' values
};

template <size_t Width>
FieldClasses Classify(const char* field) {
  using namespace byte_words;
  const uint64_t word = Load(field, Width);
  const unsigned used = (1u << Width) - 1;
  const uint64_t values = word ^ (kOnes * '0');
  return {ByteMask(BytesEqual(word, ' ')) & used, ByteMask(BytesEqual(word, '-')) & used,
          ByteMask(BytesBelowTen(values)) & used, ByteMask(BytesEqual(word, '.')) & used, values};
}

// Bytes `from` to 7 of a word.
// 1 when a "-" follows the field's leading blanks, else 0.
unsigned LeadingMinus(const FieldClasses& classes) {
  return (classes.minus >> std::countr_one(classes.blank)) & 1u;
}

// The column where the digits start: after the leading blanks and a "-".
unsigned FirstDigitColumn(const FieldClasses& classes) {
  return std::countr_one(classes.blank) + LeadingMinus(classes);
}

uint64_t BytesFrom(unsigned from) {
  return ~0ull << (8 * from);
}

// The common shape of an index field, tested and read in one pass: blanks, an optional
// "-", then digits to the field's end, an unsigned first digit 0 only alone in the last
// column (and not at all under `legacy`). For this shape the integer test passes and the
// decimal reading gives `value`; false sends any other field the general way.
bool ScanIndex(const char* field, bool legacy, int32_t& value) {
  const FieldClasses classes = Classify<kIndexWidth>(field);
  const unsigned negative = LeadingMinus(classes);
  const unsigned first = FirstDigitColumn(classes);
  if (first >= kIndexWidth) return false;
  const unsigned rest = (0xFu << first) & 0xFu;
  if ((classes.digit & rest) != rest) return false;
  if (!negative && field[first] == '0' && (legacy || first != kIndexWidth - 1)) return false;
  const uint64_t digits = classes.values & BytesFrom(first) & ~BytesFrom(kIndexWidth);
  const int32_t magnitude = static_cast<int32_t>(EightDigits(digits << (8 * (8 - kIndexWidth))));
  value = negative ? -magnitude : magnitude;
  return true;
}

// A real field of the common shape, read but not yet turned into a double.
struct ScannedReal {
  uint32_t whole, fraction;
  unsigned fractionDigits;
  bool negative;

  // What the general reader computes: the digit sums are whole numbers below 2^53, exact
  // in doubles, and the power of ten is exact.
  double Value() const {
    const double magnitude = double(whole) + double(fraction) / ExactPowerOfTen(fractionDigits);
    return negative ? -magnitude : magnitude;
  }
};

// The common shape of a real field: blanks, an optional "-", digits, ".", digits to the
// field's end, an unsigned leading 0 only right before the ".". For it the number test
// passes; false sends any other field the general way.
bool ScanReal(const char* field, ScannedReal& real) {
  const FieldClasses classes = Classify<kRealWidth>(field);
  const unsigned negative = LeadingMinus(classes);
  const unsigned first = FirstDigitColumn(classes);
  if (first >= kRealWidth) return false;
  const unsigned rest = (0xFFu << first) & 0xFFu;
  // Exactly one dot; has_single_bit would call a library popcount on a baseline CPU.
  if (((classes.digit | classes.dot) & rest) != rest || classes.dot == 0 ||
      (classes.dot & (classes.dot - 1)) != 0)
    return false;
  const unsigned dot = std::countr_zero(classes.dot);
  if (dot == first || dot == kRealWidth - 1) return false;
  if (!negative && field[first] == '0' && dot != first + 1) return false;
  real.whole = EightDigits((classes.values & BytesFrom(first)) << (8 * (8 - dot)));
  real.fraction = EightDigits(classes.values & BytesFrom(dot + 1));
  real.fractionDigits = kRealWidth - 1 - dot;
  real.negative = negative != 0;
  return true;
}

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

double ReadReal(const char* field) {
  return vexcstr::o_atof(field, kRealWidth);
}

// The five fields of a line, with the values of those read while tested.
struct FieldValues {
  bool known[5];
  int32_t indices[3];
  ScannedReal reals[2];
};

// All five field tests in column order; false at the first that fails.
bool PassesFieldTests(const char* s, bool legacy, FieldValues& values) {
  for (size_t i = 0; i < 3; ++i) {
    const char* field = s + i * kIndexWidth;
    values.known[i] = ScanIndex(field, legacy, values.indices[i]);
    if (!values.known[i] && !PassesIndexTest(field, legacy)) return false;
  }
  for (size_t j = 0; j < 2; ++j) {
    const char* field = s + kIntensityColumn + j * kRealWidth;
    values.known[3 + j] = ScanReal(field, values.reals[j]);
    if (!values.known[3 + j] && !vexcstr::IsNumberText(field, kRealWidth)) return false;
  }
  return true;
}

// Which real fields a caller wants read.
enum class Reals { kNone, kIntensity, kBoth };

// The tests, then h, k, l (and I and sigma unless `reals` is kNone) in column order, so that
// a field that passed its test but cannot be read raises only once every test has passed.
// With kIntensity, sigma is read only when reading it could raise.
bool ReadLine(const char* s, size_t length, Ref& ref, bool legacy, Reals reals) {
  if (length < kRecordWidth) return false;
  FieldValues values;
  if (!PassesFieldTests(s, legacy, values)) return false;
  int32_t* const indices[3] = {&ref.h, &ref.k, &ref.l};
  for (size_t i = 0; i < 3; ++i)
    *indices[i] = values.known[i] ? values.indices[i] : ReadIndex(s + i * kIndexWidth);
  if (ref.h == 0 && ref.k == 0 && ref.l == 0) return false;
  if (reals == Reals::kNone) return true;
  ref.I = values.known[3] ? values.reals[0].Value() : ReadReal(s + kIntensityColumn);
  if (!values.known[4])
    ref.sigma = ReadReal(s + kSigmaColumn);
  else if (reals == Reals::kBoth)
    ref.sigma = values.reals[1].Value();
  return true;
}

}  // namespace

bool IsUsable(const TCStrList& lines) {
  return lines.Count() >= kMinLines && lines[0].Length() >= kRecordWidth;
}

bool ReadIndices(const char* line, size_t length, Ref& ref, bool legacy) {
  return ReadLine(line, length, ref, legacy, Reals::kNone);
}

bool ReadRecord(const char* line, size_t length, Ref& ref) {
  return ReadLine(line, length, ref, false, Reals::kBoth);
}

bool ReadIntensity(const char* line, size_t length, double& I) {
  Ref ref;
  if (!ReadLine(line, length, ref, false, Reals::kIntensity)) return false;
  I = ref.I;
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

TArrayList<double> IntensitiesOf(const TTypeList<Ref>& refs) {
  TArrayList<double> intensities;
  intensities.SetCapacity(refs.Count());
  for (const Ref& ref : refs) intensities.Add(ref.I);
  return intensities;
}

}  // namespace hkl_util
