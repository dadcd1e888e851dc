// Recognising the unit cells of the three standard test crystals.
#pragma once

namespace zt7 {

// True when the six values at `a` and `b` (a, b, c, alpha, beta, gamma in degrees) agree:
// edges within 0.2, angles within 1.0 each. A value that is not finite never agrees.
bool CellsAgree(const double* a, const double* b);

// True when the six values at `cell` agree with a test crystal's cell, on the doubles as
// given.
bool IsTestCrystalCell(const double* cell);

}  // namespace zt7
