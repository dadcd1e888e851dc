// Why a call refused, or how it decided, as one entry of the module's log.
#pragma once

#include "sdl/smart/vex_istring.h"

namespace zt7 {

// Writes `reason` as a plain entry (kind 1), making the runtime object, and with it the
// log, when there is none yet. Hosts of the exports read these entries in the log file
// (ZT7UTIL_LOG); under a LogCapture the entry goes to the capture only.
void LogReason(const zodu::vexstr& reason);

// What starts the entry of an error: the call could not be carried out, which no refusal's
// or mismatch's reason says.
inline constexpr char16_t kErrorPrefix[] = u"Error: ";

// Writes kErrorPrefix and `report` as one plain entry, as LogReason does; a capture
// takes `report` as an error entry.
void LogError(const zodu::vexstr& report);

// Writes "Warning: " and `warning` as one plain entry, as LogReason does; a capture takes
// `warning` as a warning entry.
void LogWarning(const zodu::vexstr& warning);

// `path` in single quotes, for a reason that names a file.
zodu::vexstr Quoted(const zodu::vexstr& path);

}  // namespace zt7
