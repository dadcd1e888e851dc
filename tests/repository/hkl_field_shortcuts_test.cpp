// The shortcut for the common shapes of HKL fields agrees with the general number rules on
// every field: the same records, the same values to the bit, the same errors.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <random>
#include <string>

#include "repository/hkl_records.h"
#include "repository/intensity_scan.h"
#include "sdl/ebase.h"

using namespace zodu;

namespace {

enum class Kind { kNone, kRecord, kBadInteger, kBadFloat };

struct Outcome {
  Kind kind = Kind::kNone;
  hkl_util::Ref ref{};
};

template <class Read>
Outcome Run(Read read) {
  Outcome outcome;
  try {
    outcome.kind = read(outcome.ref) ? Kind::kRecord : Kind::kNone;
  } catch (const TInvalidIntegerNumberException&) {
    outcome.kind = Kind::kBadInteger;
  } catch (const TInvalidFloatNumberException&) {
    outcome.kind = Kind::kBadFloat;
  }
  return outcome;
}

// The rules spelled out with the general tests and readers of the string type.
bool GeneralRead(const std::string& line, hkl_util::Ref& ref, bool legacy, bool reals) {
  const char* s = line.data();
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
  if (reals) {
    ref.I = vexcstr::o_atof(s + 12, 8);
    ref.sigma = vexcstr::o_atof(s + 20, 8);
  }
  return true;
}

bool Same(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

void ExpectAgreement(const std::string& line) {
  const vexcstr text(line.data(), line.size());
  for (bool legacy : {false, true}) {
    const Outcome general =
        Run([&](hkl_util::Ref& r) { return GeneralRead(line, r, legacy, !legacy); });
    const Outcome shortcut = Run([&](hkl_util::Ref& r) {
      return legacy ? hkl_util::ReadIndices(text, r, true) : hkl_util::ReadRecord(text, r);
    });
    ASSERT_EQ(shortcut.kind, general.kind) << "'" << line << "' legacy " << legacy;
    if (general.kind != Kind::kRecord) continue;
    EXPECT_EQ(shortcut.ref.h, general.ref.h) << "'" << line << "'";
    EXPECT_EQ(shortcut.ref.k, general.ref.k) << "'" << line << "'";
    EXPECT_EQ(shortcut.ref.l, general.ref.l) << "'" << line << "'";
    if (!legacy) {
      EXPECT_TRUE(Same(shortcut.ref.I, general.ref.I)) << "'" << line << "'";
      EXPECT_TRUE(Same(shortcut.ref.sigma, general.ref.sigma)) << "'" << line << "'";
    }
  }
  // The intensity scan takes the same records and raises the same errors.
  const Outcome listed = Run([&](hkl_util::Ref& r) {
    hkl_util::IntensityScan scan(true);
    scan.Take(line.data(), line.size());
    const TArrayList<double>& intensities = scan.Intensities();
    if (intensities.Count() == 1) r.I = intensities[0];
    return intensities.Count() == 1;
  });
  const Outcome general = Run([&](hkl_util::Ref& r) { return GeneralRead(line, r, false, true); });
  ASSERT_EQ(listed.kind, general.kind) << "'" << line << "'";
  if (general.kind == Kind::kRecord) {
    EXPECT_TRUE(Same(listed.ref.I, general.ref.I)) << line;
  }
}

const std::string kIndexAlphabet = " \t-+0178x.";
const std::string kRealAlphabet = " -+0159.ex";

TEST(FieldShortcuts, EveryIndexFieldOfTenCharacters) {
  std::string field(4, ' ');
  for (int code = 0; code < 10000; ++code) {
    int c = code;
    for (char& ch : field) {
      ch = kIndexAlphabet[c % 10];
      c /= 10;
    }
    ExpectAgreement(field + "   2   3   12.50    1.00");
    ExpectAgreement("   0" + field + "   0    1.5e3 0x1A   ");
    if (HasFailure()) return;
  }
}

TEST(FieldShortcuts, RandomRealFields) {
  std::mt19937 random(2024);
  std::string field(8, ' ');
  for (int round = 0; round < 200000; ++round) {
    for (char& ch : field) ch = kRealAlphabet[random() % kRealAlphabet.size()];
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
