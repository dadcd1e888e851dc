// The module's log as the tool reads it: a file named in ZT7UTIL_LOG, read back after calls.
#pragma once

#include <string>
#include <vector>

namespace zt7cli {

// Points the module's log at a temporary file of the tool's own, before the module makes
// its runtime object; the file is unlinked at once and read through a descriptor, so that
// nothing is left behind.
void CaptureModuleLog();

// The log entries written since the previous call, each without its line end. With
// `echo` set they also go to standard error as they are read (the tool's -v).
std::vector<std::string> NewLogEntries();
void EchoModuleLog(bool echo);

}  // namespace zt7cli
