// The legacy index test and the intensity reader on the surprising field shapes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "repository/hkl_records.h"
#include "sdl/ebase.h"

using namespace zodu;

namespace {

TEST(FieldShortcuts, LegacyIndicesAndIntensities) {
  // Line, whether the legacy index test passes, whether an intensity is read, and its value.
  const std::tuple<const char*, bool, bool, double> rows[] = {
      {"   0   1   1   12.50    1.00", false, true, 12.5},  // a lone zero in the last column
      {"  00   1   1   12.50    1.00", true, true, 12.5},   // octal zero, not in the last column
      {"  -0   1   1   12.50    1.00", true, true, 12.5},
      {"   1   1   1  0012.5    1.00", false, false, 0},  // every field is tested first
      {"   1   1   1   1.5e3    1.00", true, true, 1500},
  };
  for (const auto& [text, legacyIndices, record, expectedI] : rows) {
    SCOPED_TRACE(text);
    const std::string line = text;
    hkl_util::Ref ref{};
    EXPECT_EQ(hkl_util::ReadIndices(line.data(), line.size(), ref, true), legacyIndices);
    double I = 0;
    EXPECT_EQ(hkl_util::ReadIntensity(line.data(), line.size(), I), record);
    if (!record) continue;
    EXPECT_EQ(I, expectedI);
  }
  hkl_util::Ref ref{};
  const std::string hexIndex = "0x1F   1   1    1.00    1.00";
  EXPECT_THROW(hkl_util::ReadIndices(hexIndex.data(), hexIndex.size(), ref, true),
               TInvalidIntegerNumberException);
}

}  // namespace
