// The HKL matching and test-crystal cell exports.
#include "repository/hkl_match.h"
#include "zt3util/boundary.h"
#include "zt3util/cell_check.h"
#include "zt3util/reason_log.h"
#include "zt3util/runnable.h"
#include "zt7util.h"

double dMatchHKL(const char16_t* firstHklFile, const char16_t* secondHklFile) {
  // A file that cannot be read or parsed cannot be compared either.
  return zt7::GuardExport(kNoMatch, [&] {
    RODediRunnable::GetInstance();  // its log takes the reasons, and any error caught here
    zodu::vexstr whyNot;
    const double distance =
        MatchHklFiles(zodu::vexstr(firstHklFile), zodu::vexstr(secondHklFile), &whyNot);
    if (!whyNot.IsEmpty()) zt7::LogReason(whyNot);
    return distance;
  });
}

bool bCheckCell(const double* cell) {
  return zt7::GuardExport(false, [&] { return cell && zt7::IsTestCrystalCell(cell); });
}
