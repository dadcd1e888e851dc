// The legacy index test and the intensity reader on the surprising field shapes.
#include <gtest/gtest.h>

#include <string>

#include "repository/hkl_records.h"
#include "sdl/ebase.h"

using namespace zodu;

namespace {

TEST(FieldShortcuts, LegacyIndicesAndIntensities) {
  struct Row {
    const char* line;
    bool legacyIndices;
    bool record;
    double I;
  };
  const Row rows[] = {
      {"   0   1   1   12.50    1.00", false, true, 12.5},  // a lone zero in the last column
      {"  00   1   1   12.50    1.00", true, true, 12.5},   // octal zero, not in the last column
      {"  -0   1   1   12.50    1.00", true, true, 12.5},
      {"\t\t 5   1   1   12.50    1.00", true, true, 12.5},
      {"   1   1   1  0012.5    1.00", false, false, 0},  // every field is tested first
      {"   1   1   1   1.5e3    1.00", true, true, 1500},
      {"   1   1   1     017    1.00", true, true, 17},  // octal digits, read in decimal
      {"   1   1   1 -3.1e2     1.00", true, true, -310},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const std::string line = row.line;
    hkl_util::Ref ref{};
    EXPECT_EQ(hkl_util::ReadIndices(line.data(), line.size(), ref, true), row.legacyIndices);
    double I = 0;
    EXPECT_EQ(hkl_util::ReadIntensity(line.data(), line.size(), I), row.record);
    if (row.record) {
      EXPECT_EQ(I, row.I);
    }
  }
  double I = 0;
  hkl_util::Ref ref{};
  const std::string hexSigma = "   1   1   1    1.00    0x1A";
  EXPECT_THROW(hkl_util::ReadIntensity(hexSigma.data(), hexSigma.size(), I),
               TInvalidFloatNumberException);
  const std::string hexIndex = "0x1F   1   1    1.00    1.00";
  EXPECT_THROW(hkl_util::ReadIndices(hexIndex.data(), hexIndex.size(), ref, true),
               TInvalidIntegerNumberException);
}

}  // namespace
