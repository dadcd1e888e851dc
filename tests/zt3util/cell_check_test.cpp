// Recognising the test-crystal cells.
#include "zt3util/cell_check.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct CellCase {
  double cell[6];
  bool expected;
};

const CellCase kCases[] = {
    {{5.76, 9.03, 18.38, 90, 90, 90}, true},
    {{5.75, 9.03, 18.38, 90, 90, 90}, false},  // 5.95 - 5.75 computes just above 0.2
    {{7.77, 8.72, 10.86, 90, 104, 90}, true},  // beta off by exactly the tolerance
    {{5.12, 13.99, 14.79, 88.9, 90, 90}, false},
    {{5.95, 9.03, 18.38, 90, 103, 90}, false},  // entry 1 edges, entry 3 beta
    {{9.03, 5.95, 18.38, 90, 90, 90}, false},   // edges in another order
};

TEST(IsTestCrystalCell, Examples) {
  for (const CellCase& c : kCases)
    EXPECT_EQ(zt7::IsTestCrystalCell(c.cell), c.expected)
        << testing::PrintToString(std::vector<double>(c.cell, c.cell + 6));
}

}  // namespace
