// The reader's log lines: to the caller's sink when there is one, else to the application's
// log, where the hosts of the exports read them.
#include "xlib/cif_log.h"

#include "sdl/bapp.h"
#include "xlib/cif_tokenizer.h"

namespace cif_dp {

void LogLine(CifFindings* findings, zodu::LogKind kind, const vexstr& line) {
  if (findings)
    findings->Logged(Utf8Text(line));
  else if (zodu::TBasicApp::HasInstance())
    zodu::TBasicApp::NewLogEntry(kind) << line;
}

}  // namespace cif_dp
