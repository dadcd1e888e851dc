// Recognising the unit cells of the three standard test crystals.
#include "zt3util/cell_check.h"

#include <cmath>  // for fabs

namespace zt7 {
namespace {

// Constant, so complete before any caller can read it, also on concurrent first calls.
constexpr double kTestCells[][6] = {
    {5.95, 9.03, 18.38, 90, 90, 90},
    {5.12, 13.99, 14.79, 90, 90, 90},
    {7.77, 8.72, 10.86, 90, 103, 90},
};
constexpr double kTolerances[6] = {0.2, 0.2, 0.2, 1.0, 1.0, 1.0};

}  // namespace

bool CellsAgree(const double* a, const double* b) {
  // Written so that a difference that is not a number (a NaN, or infinity minus infinity)
  // fails: every comparison with a NaN is false.
  for (int i = 0; i < 6; ++i)
    if (!(std::fabs(a[i] - b[i]) <= kTolerances[i])) return false;
  return true;
}

bool IsTestCrystalCell(const double* cell) {
  for (const auto& reference : kTestCells)
    if (CellsAgree(reference, cell)) return true;
  return false;
}

}  // namespace zt7
