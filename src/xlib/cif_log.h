// The reader's log lines: to the caller's sink when there is one, else to the application's
// log, where the hosts of the exports read them.
#pragma once

#include "sdl/log.h"
#include "xlib/cif_findings.h"
#include "xlib/cifdp.h"

namespace cif_dp {

void LogLine(CifFindings* findings, zodu::LogKind kind, const vexstr& line);

}  // namespace cif_dp
