// The module's log as the tool reads it: a file named in ZT7UTIL_LOG, read back after calls.
#include "module_log.h"

#include <stdlib.h>  // for mkstemp, setenv
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "zt7util.h"

namespace zt7cli {
namespace {

int descriptor = -1;
bool echoed = false;

}  // namespace

void CaptureModuleLog() {
  if (descriptor >= 0) return;
  std::error_code error;
  std::string path = (std::filesystem::temp_directory_path(error) / "zt7util-log.XXXXXX").string();
  const int made = mkstemp(path.data());
  if (made < 0) return;  // the tool then names causes without the module's own words
  setenv("ZT7UTIL_LOG", path.c_str(), 1);
  GetZTRunnable();  // the module opens its log file when it makes its runtime object
  unlink(path.c_str());
  descriptor = made;
}

std::vector<std::string> NewLogEntries() {
  std::string text;
  if (descriptor >= 0) {
    char buffer[4096];
    for (ssize_t n; (n = read(descriptor, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  }
  std::vector<std::string> entries;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string entry = text.substr(start, end - start);
    if (!entry.empty() && entry.back() == '\r') entry.pop_back();
    if (entry.empty()) continue;
    if (echoed) std::fprintf(stderr, "%s\n", entry.c_str());
    entries.push_back(entry);
  }
  return entries;
}

void EchoModuleLog(bool echo) {
  echoed = echo;
}

}  // namespace zt7cli
