// Peak resident memory for the benchmarks, measured in a fresh process per side.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

namespace zt7bench {

// This process's peak resident memory in KiB.
inline long PeakKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// Peak resident memory, in KiB, of `self` run as `self HOW PATH`, which does one side's
// work and prints its PeakKiB().
inline long PeakKiBOf(const char* self, const char* how, const std::string& path) {
  const std::string command = std::string("'") + self + "' " + how + " '" + path + "'";
  FILE* child = popen(command.c_str(), "r");
  if (!child) return -1;
  long kib = -1;
  if (std::fscanf(child, "%ld", &kib) != 1) kib = -1;
  return pclose(child) == 0 ? kib : -1;
}

}  // namespace zt7bench
