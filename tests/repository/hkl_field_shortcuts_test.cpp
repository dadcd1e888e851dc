// The shortcut for the common shapes of HKL fields agrees with the general number rules on
// every field: the same records, the same values to the bit, the same errors.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <utility>

#include "repository/hkl_records.h"
#include "sdl/ebase.h"

using namespace zodu;

namespace {

// What reading a line gave: no record (0), a record (1), an integer (2) or float (3) error,
// then h, k, l and the bits of I and sigma.
using Outcome = std::tuple<int, int32_t, int32_t, int32_t, uint64_t, uint64_t>;

template <class Read>
Outcome Run(Read read) {
  hkl_util::Ref ref{};
  int kind = 0;
  try {
    kind = read(ref) ? 1 : 0;
  } catch (const TInvalidIntegerNumberException&) {
    kind = 2;
  } catch (const TInvalidFloatNumberException&) {
    kind = 3;
  }
  if (kind != 1) return {kind, 0, 0, 0, 0, 0};
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
    bool negative = false;
    if ((legacy && j == 3 && field[j] == '0') || !vexcstr::IsIntegerText(field, 4, negative))
      return false;
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

// Records, legacy indices and the intensity list all agree with the general reading.
void ExpectAgreement(const std::string& line) {
  const vexcstr text(line.data(), line.size());
  TCStrList lines;
  lines.Add(text);
  for (bool legacy : {false, true}) {
    const Outcome general =
        Run([&](hkl_util::Ref& r) { return GeneralRead(line.data(), r, legacy); });
    EXPECT_EQ(Run([&](hkl_util::Ref& r) {
                return legacy ? hkl_util::ReadIndices(text, r, true)
                              : hkl_util::ReadRecord(text, r);
              }),
              general)
        << "'" << line << "' legacy " << legacy;
    if (legacy) continue;
    const Outcome listed = Run([&](hkl_util::Ref& r) {
      const TArrayList<double> intensities = hkl_util::ParseIntensities(lines, 28);
      if (intensities.Count() == 1) r.I = intensities[0];
      return intensities.Count() == 1;
    });
    EXPECT_EQ(std::pair(std::get<0>(listed), std::get<4>(listed)),
              std::pair(std::get<0>(general), std::get<4>(general)))
        << "'" << line << "' as a list";
  }
}

TEST(FieldShortcuts, EveryIndexFieldOfTenCharacters) {
  const std::string alphabet = " \t-+0178x.";
  std::string field(4, ' ');
  for (int code = 0; code < 10000 && !HasFailure(); ++code) {
    for (int i = 0, c = code; i < 4; ++i, c /= 10) field[i] = alphabet[c % 10];
    ExpectAgreement(field + "   2   3   12.50    1.00");
    ExpectAgreement("   0" + field + "   0    1.5e3 0x1A   ");
  }
}

TEST(FieldShortcuts, RandomAndFormattedRealFields) {
  const std::string alphabet = " -+0159.ex";
  std::mt19937 random(2024);
  std::string field(8, ' ');
  for (int round = 0; round < 200000 && !HasFailure(); ++round) {
    for (char& ch : field) ch = alphabet[random() % alphabet.size()];
    ExpectAgreement("   1   2   3" + field + "    1.00");
    ExpectAgreement("   1   2   3    1.00" + field);
  }
  std::uniform_real_distribution<double> magnitude(-7, 8);
  for (int round = 0; round < 100000 && !HasFailure(); ++round) {
    const double value = (random() % 2 ? -1 : 1) * std::pow(10.0, magnitude(random));
    char line[64];
    std::snprintf(line, sizeof line, "%4d%4d%4d%8.*f%8.2f", int(random() % 200) - 100,
                  int(random() % 9) - 4, int(random() % 50), int(random() % 8), value, value / 7);
    if (std::string(line).size() == 28) ExpectAgreement(line);
  }
}

}  // namespace
