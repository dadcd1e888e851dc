// The shortcut for the common shapes of HKL fields agrees with the general number rules on
// every field: the same records, the same values to the bit, the same errors.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>

#include "repository/hkl_records.h"
#include "repository/intensity_scan.h"
#include "sdl/ebase.h"

using namespace zodu;

namespace {

enum class Kind { kNone, kRecord, kBadInteger, kBadFloat };

// What a reader made of a line: the kind, the indices and the bits of I and sigma.
using Outcome = std::tuple<Kind, int32_t, int32_t, int32_t, uint64_t, uint64_t>;

template <class Read>
Outcome Run(Read read) {
  hkl_util::Ref ref{};
  Kind kind;
  try {
    kind = read(ref) ? Kind::kRecord : Kind::kNone;
  } catch (const TInvalidIntegerNumberException&) {
    kind = Kind::kBadInteger;
  } catch (const TInvalidFloatNumberException&) {
    kind = Kind::kBadFloat;
  }
  if (kind != Kind::kRecord) return {kind, 0, 0, 0, 0, 0};
  return {kind,
          ref.h,
          ref.k,
          ref.l,
          std::bit_cast<uint64_t>(ref.I),
          std::bit_cast<uint64_t>(ref.sigma)};
}

// The rules spelled out with the general tests and readers of the string type.
bool GeneralRead(const char* s, hkl_util::Ref& ref, bool legacy) {
  for (int i = 0; i < 3; ++i) {
    const char* field = s + 4 * i;
    int j = 0;
    while (j < 4 && (field[j] == ' ' || field[j] == '\t')) ++j;
    if (legacy && j == 3 && field[j] == '0') return false;
    bool negative = false;
    if (!vexcstr::IsIntegerText(field, 4, negative)) return false;
  }
  if (!vexcstr::IsNumberText(s + 12, 8) || !vexcstr::IsNumberText(s + 20, 8)) return false;
  int32_t* indices[3] = {&ref.h, &ref.k, &ref.l};
  for (int i = 0; i < 3; ++i) {
    bool negative = false;
    const uint32_t magnitude = vexcstr::o_atoi_s(s + 4 * i, 4, negative, 10);
    *indices[i] = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
  }
  if (ref.h == 0 && ref.k == 0 && ref.l == 0) return false;
  if (!legacy) {
    ref.I = vexcstr::o_atof(s + 12, 8);
    ref.sigma = vexcstr::o_atof(s + 20, 8);
  }
  return true;
}

// The record reader, the legacy index reader and the intensity scan against the general rules.
void ExpectAgreement(const std::string& line) {
  const vexcstr text(line.data(), line.size());
  const Outcome general = Run([&](hkl_util::Ref& r) { return GeneralRead(line.data(), r, false); });
  ASSERT_EQ(Run([&](hkl_util::Ref& r) { return hkl_util::ReadRecord(text, r); }), general)
      << "'" << line << "'";
  ASSERT_EQ(Run([&](hkl_util::Ref& r) { return hkl_util::ReadIndices(text, r, true); }),
            Run([&](hkl_util::Ref& r) { return GeneralRead(line.data(), r, true); }))
      << "legacy '" << line << "'";
  const Outcome scanned = Run([&](hkl_util::Ref& r) {
    hkl_util::IntensityScan scan(true);
    scan.Take(line.data(), line.size());
    const TArrayList<double>& intensities = scan.Intensities();
    if (intensities.Count() == 1) r.I = intensities[0];
    return intensities.Count() == 1;
  });
  ASSERT_EQ(std::get<0>(scanned), std::get<0>(general)) << "scan '" << line << "'";
  ASSERT_EQ(std::get<4>(scanned), std::get<4>(general)) << "scan '" << line << "'";
}

TEST(FieldShortcuts, EveryIndexFieldOfTenCharacters) {
  const std::string alphabet = " \t-+0178x.";
  std::string field(4, ' ');
  for (int code = 0; code < 10000; ++code) {
    for (int i = 0, c = code; i < 4; ++i, c /= 10) field[i] = alphabet[c % 10];
    ExpectAgreement(field + "   2   3   12.50    1.00");
    ExpectAgreement("   0" + field + "   0    1.5e3 0x1A   ");
    if (HasFailure()) return;
  }
}

TEST(FieldShortcuts, RandomRealFields) {
  const std::string alphabet = " -+0159.ex";
  std::mt19937 random(2024);
  std::string field(8, ' ');
  for (int round = 0; round < 200000; ++round) {
    for (char& ch : field) ch = alphabet[random() % alphabet.size()];
    ExpectAgreement("   1   2   3" + field + "    1.00");
    ExpectAgreement("   1   2   3    1.00" + field);
    if (HasFailure()) return;
  }
}

TEST(FieldShortcuts, FormattedNumbers) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> magnitude(-7, 8);
  for (int round = 0; round < 100000; ++round) {
    const double value = (random() % 2 ? -1 : 1) * std::pow(10.0, magnitude(random));
    char line[64];
    const int digits = static_cast<int>(random() % 8);
    std::snprintf(line, sizeof line, "%4d%4d%4d%8.*f%8.2f", int(random() % 200) - 100,
                  int(random() % 9) - 4, int(random() % 50), digits, value, value / 7);
    if (std::string(line).size() != 28) continue;
    ExpectAgreement(line);
    if (HasFailure()) return;
  }
}

}  // namespace
