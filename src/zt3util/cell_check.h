// Recognising the unit cells of the three standard test crystals.
#pragma once

namespace zt3util {

// True when the six values at `cell` (a, b, c, alpha, beta, gamma in degrees) match a test
// crystal: edges within 0.2, angles within 1.0 each, on the doubles as given. A cell with
// a value that is not finite never matches.
bool IsTestCrystalCell(const double* cell);

}  // namespace zt3util
