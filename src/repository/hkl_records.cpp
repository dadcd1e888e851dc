// The reflection record and the rule that decides which HKL lines hold reflections.
#include "repository/hkl_records.h"

#include <bit>  // for countr_one, countr_zero

#include "repository/byte_words.h"

#if defined(__SSE2__)
#include <emmintrin.h>  // for the SSE2 byte compares
#endif

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

// Character i of a line is bit i of these masks.
constexpr uint32_t kFieldStarts = 1u << 0 | 1u << 4 | 1u << 8 | 1u << 12 | 1u << 20;
constexpr uint32_t kFieldEnds = 1u << 3 | 1u << 7 | 1u << 11 | 1u << 19 | 1u << 27;
constexpr uint32_t kIndexColumns = 0x00000FFFu;
constexpr uint32_t kIntensityColumns = 0x000FF000u;
constexpr uint32_t kSigmaColumns = 0x0FF00000u;
constexpr uint32_t kRecordColumns = 0x0FFFFFFFu;

// The classes of a line's first 28 characters, one bit per character.
struct LineClasses {
  uint32_t blank, minus, digit, dot, zero;
};

LineClasses ClassifyLine(const char* s) {
#if defined(__SSE2__)
  // Characters 0-15 and 12-27 in two loads of sixteen (SSE2 is part of every x86-64).
  const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 12));
  auto bits = [&](auto test) {
    return static_cast<uint32_t>(_mm_movemask_epi8(test(low))) |
           static_cast<uint32_t>(_mm_movemask_epi8(test(high))) << 12;
  };
  auto equal = [](char c) {
    return [c](__m128i x) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(c)); };
  };
  // Bytes 0x80 and above compare as negative, so below '0'.
  auto digit = [](__m128i x) {
    return _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8('0' - 1)),
                         _mm_cmplt_epi8(x, _mm_set1_epi8('9' + 1)));
  };
  return {bits(equal(' ')), bits(equal('-')), bits(digit), bits(equal('.')), bits(equal('0'))};
#else
  using namespace zt7::byte_words;
  LineClasses classes{0, 0, 0, 0, 0};
  for (unsigned at : {0u, 8u, 16u, 20u}) {
    const uint64_t word = Load(s + at);
    classes.blank |= ByteMask(BytesEqual(word, ' ')) << at;
    classes.minus |= ByteMask(BytesEqual(word, '-')) << at;
    classes.digit |= ByteMask(BytesBelowTen(word ^ (kOnes * '0'))) << at;
    classes.dot |= ByteMask(BytesEqual(word, '.')) << at;
    classes.zero |= ByteMask(BytesEqual(word, '0')) << at;
  }
  return classes;
#endif
}

// Bytes `from` to 7 of a word.
uint64_t BytesFrom(unsigned from) {
  return ~0ull << (8 * from);
}

// A line whose five fields all have their common shape: blanks, an optional "-", then
// digits to the field's end, with exactly one "." between digits in the real fields; an
// unsigned first digit 0 only alone in an index field's last column (never under
// `legacy`) or right before a real field's ".". All fields are tested at once on the
// line's classes, with no branch on the data. For such a line every field test passes and
// the values below are what the general readers give. Other lines go the general way.
class CommonLine {
 public:
  bool Scan(const char* s, bool legacy) {
    s_ = s;
    c_ = ClassifyLine(s);
    const uint32_t filled = ~c_.blank & kRecordColumns;
    const uint32_t first = filled & (c_.blank << 1 | kFieldStarts);
    firstDigits_ = (first & ~c_.minus) | (first & c_.minus) << 1;
    const uint32_t unsignedZeros = first & c_.zero;
    const uint32_t intensityDot = c_.dot & kIntensityColumns, sigmaDot = c_.dot & kSigmaColumns;
    return (c_.blank & filled << 1 & ~kFieldStarts) == 0 &&             // blanks only lead a field
           (filled & kFieldEnds) == kFieldEnds &&                       // no field is all blanks
           (c_.minus & ~first) == 0 && (c_.minus & kFieldEnds) == 0 &&  // a sign first, not alone
           (filled & ~c_.minus & ~c_.digit & ~c_.dot) == 0 && (c_.dot & kIndexColumns) == 0 &&
           intensityDot != 0 && (intensityDot & (intensityDot - 1)) == 0 && sigmaDot != 0 &&
           (sigmaDot & (sigmaDot - 1)) == 0 &&                  // one dot in each real field,
           (c_.dot & ~(c_.digit << 1 & ~kFieldStarts)) == 0 &&  // after a digit
           (c_.dot & kFieldEnds) == 0 &&                        // and before one
           (unsignedZeros & kIndexColumns & ~(legacy ? 0 : kFieldEnds)) == 0 &&
           (unsignedZeros & ~kIndexColumns & ~(c_.dot >> 1)) == 0;
  }

  bool IndicesAreZero() const { return (c_.digit & kIndexColumns & ~c_.zero) == 0; }

  int32_t Index(size_t i) const {
    const size_t start = i * kIndexWidth;
    const unsigned first = std::countr_zero(firstDigits_ >> start);
    const uint64_t values =
        zt7::byte_words::Load(s_ + start, kIndexWidth) ^ (zt7::byte_words::kOnes * '0');
    const uint64_t digits = values & BytesFrom(first) & ~BytesFrom(kIndexWidth);
    const int32_t magnitude = static_cast<int32_t>(EightDigits(digits << (8 * (8 - kIndexWidth))));
    return (c_.minus >> start) & 0xFu ? -magnitude : magnitude;
  }

  // The digit sums are whole numbers below 2^53, exact in doubles, and the power of ten is
  // exact: the general reader's result.
  double Real(size_t j) const {
    const size_t start = kIntensityColumn + j * kRealWidth;
    const unsigned first = std::countr_zero(firstDigits_ >> start);
    const unsigned dot = std::countr_zero(c_.dot >> start);
    const uint64_t values = zt7::byte_words::Load(s_ + start) ^ (zt7::byte_words::kOnes * '0');
    const uint32_t whole = EightDigits((values & BytesFrom(first)) << (8 * (8 - dot)));
    const uint32_t fraction = EightDigits(values & BytesFrom(dot + 1));
    const double magnitude =
        double(whole) + double(fraction) / ExactPowerOfTen(kRealWidth - 1 - dot);
    return (c_.minus >> start) & 0xFFu ? -magnitude : magnitude;
  }

 private:
  const char* s_;
  LineClasses c_;
  uint32_t firstDigits_;
};

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

// Which real fields a caller wants read.
enum class Reals { kNone, kIntensity, kBoth };

// The general way: the five tests in column order, then h, k, l (and I and sigma unless
// `reals` is kNone) in column order, so that a field that passed its test but cannot be
// read raises only once every test has passed. Sigma is read even for kIntensity, as
// reading it may raise.
bool ReadGeneralLine(const char* s, Ref& ref, bool legacy, Reals reals) {
  for (size_t i = 0; i < 3; ++i)
    if (!PassesIndexTest(s + i * kIndexWidth, legacy)) return false;
  if (!vexcstr::IsNumberText(s + kIntensityColumn, kRealWidth) ||
      !vexcstr::IsNumberText(s + kSigmaColumn, kRealWidth))
    return false;
  ref.h = ReadIndex(s);
  ref.k = ReadIndex(s + kIndexWidth);
  ref.l = ReadIndex(s + 2 * kIndexWidth);
  if (ref.h == 0 && ref.k == 0 && ref.l == 0) return false;
  if (reals == Reals::kNone) return true;
  ref.I = ReadReal(s + kIntensityColumn);
  ref.sigma = ReadReal(s + kSigmaColumn);
  return true;
}

// A line shorter than a record gives false. With kIntensity only I is set.
bool ReadLine(const char* s, size_t length, Ref& ref, bool legacy, Reals reals) {
  if (length < kRecordWidth) return false;
  CommonLine common;
  if (!common.Scan(s, legacy)) return ReadGeneralLine(s, ref, legacy, reals);
  if (common.IndicesAreZero()) return false;
  if (reals != Reals::kIntensity) {
    ref.h = common.Index(0);
    ref.k = common.Index(1);
    ref.l = common.Index(2);
  }
  if (reals != Reals::kNone) ref.I = common.Real(0);
  if (reals == Reals::kBoth) ref.sigma = common.Real(1);
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
