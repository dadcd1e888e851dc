// Peak resident memory for the benchmarks, measured in a fresh process per side.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

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

// What a child process took: its CPU time (user and system) and peak resident memory.
struct ChildUsage {
  bool ok;  // it ran and exited with status 0
  double seconds;
  long kib;
};

// Runs `arguments` (the program first) with standard output to /dev/null.
inline ChildUsage RunChild(const std::vector<std::string>& arguments) {
  const pid_t child = fork();
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  const bool ran = child > 0 && wait4(child, &status, 0, &usage) == child;
  const double seconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  return {ran && WIFEXITED(status) && WEXITSTATUS(status) == 0, seconds, usage.ru_maxrss};
}

}  // namespace zt7bench
