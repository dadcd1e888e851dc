// HKL text for the tests: reflection lines in the 3I4 2F8.2 layout and whole files.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "sdl/typelist.h"

namespace hkl_test {

// One line of 28 characters (longer only when a value does not fit its field).
inline std::string HklLine(int h, int k, int l, double I, double sigma) {
  char line[64];
  std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.2f", h, k, l, I, sigma);
  return line;
}

// The end marker of an HKL file.
inline std::string EndMarker() {
  return HklLine(0, 0, 0, 0.0, 0.0);
}

// The lines, each followed by `lineEnd`.
inline std::string JoinLines(const std::vector<std::string>& lines,
                             const std::string& lineEnd = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + lineEnd;
  return text;
}

// `count` reflections with intensities 10, 20, 30, ... and the end marker.
inline std::vector<std::string> SteppedReflections(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(HklLine(i, i % 7 - 3, -i % 5, 10.0 * i, 1.5));
  lines.push_back(EndMarker());
  return lines;
}

// An intensity list for the fingerprint functions.
inline zodu::TArrayList<double> Intensities(const std::vector<double>& values) {
  zodu::TArrayList<double> list;
  for (double v : values) list.Add(v);
  return list;
}

}  // namespace hkl_test
