// Recognising the test-crystal cells.
#include "zt3util/cell_check.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct CellCase {
  double cell[6];
  bool expected;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const CellCase kCases[] = {
    {{5.95, 9.03, 18.38, 90, 90, 90}, true},
    {{6.1, 9.03, 18.38, 90, 90, 90}, true},
    {{6.2, 9.03, 18.38, 90, 90, 90}, false},
    {{6.15, 9.03, 18.38, 90, 90, 90}, false},  // 6.15 - 5.95 computes just above 0.2
    {{5.76, 9.03, 18.38, 90, 90, 90}, true},
    {{5.75, 9.03, 18.38, 90, 90, 90}, false},  // 5.95 - 5.75 computes just above 0.2 too
    {{7.77, 8.72, 10.86, 90, 104, 90}, true},  // beta off by exactly the tolerance
    {{7.77, 8.72, 10.86, 90, 104.5, 90}, false},
    {{7.77, 8.72, 10.86, 90, 103, 90}, true},
    {{5.12, 13.99, 14.79, 89.0, 91.0, 90}, true},
    {{5.12, 13.99, 14.79, 88.9, 90, 90}, false},
    {{5.95, 9.03, 18.38, 90, 103, 90}, false},  // entry 1 edges, entry 3 beta
    {{7.77, 8.72, 10.86, 90, 90, 90}, false},   // entry 3 edges, beta 90
    {{9.03, 5.95, 18.38, 90, 90, 90}, false},   // edges in another order
    {{kNaN, 9.03, 18.38, 90, 90, 90}, false},   // a value that is not finite never matches
    {{kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}, false},
    {{5.95, 9.03, 18.38, 90, kInf, 90}, false},
    {{0, 0, 0, 0, 0, 0}, false},
};

TEST(IsTestCrystalCell, Examples) {
  for (const CellCase& c : kCases)
    EXPECT_EQ(zt7::IsTestCrystalCell(c.cell), c.expected)
        << c.cell[0] << " " << c.cell[1] << " " << c.cell[2] << " " << c.cell[3] << " " << c.cell[4]
        << " " << c.cell[5];
}

}  // namespace
