// Subcommands comparing two HKL files and recognising test-crystal cells.
#include <cerrno>
#include <cstdio>
#include <cstdlib>  // for strtod
#include <filesystem>
#include <string>

#include "cli_support.h"
#include "zt7util.h"

namespace zt7cli {

extern const Command kMatchHklCommand;
extern const Command kCheckCellCommand;

namespace {

int RunMatchHkl(const Arguments& arguments) {
  for (const std::string& path : arguments) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
      return Refused(kMatchHklCommand, "no HKL file '" + path + "'");
  }
  const std::u16string first = WideText(arguments[0]), second = WideText(arguments[1]);
  const double distance = dMatchHKL(first.c_str(), second.c_str());
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", distance);  // enough digits to read it back exactly
  PrintLine(text);
  return kSuccess;
}

int RunCheckCell(const Arguments& arguments) {
  double cell[6];
  for (size_t i = 0; i < 6; ++i) {
    const char* text = arguments[i].c_str();
    char* end = nullptr;
    errno = 0;
    cell[i] = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE)
      return UsageError(&kCheckCellCommand, "not a number: '" + arguments[i] + "'");
  }
  const bool testCrystal = bCheckCell(cell);
  PrintLine(testCrystal ? "yes" : "no");
  return testCrystal ? kSuccess : kRefused;
}

}  // namespace

extern const Command kMatchHklCommand{
    "match-hkl",
    "A B",
    "distance between the intensity distributions of two HKL files",
    "  Prints 0 for files with the same intensities, in any order, and more the more\n"
    "  they differ; 1 when they cannot be compared (different numbers of reflections,\n"
    "  fewer than 20, or a file that is no HKL file).",
    2,
    2,
    RunMatchHkl};

extern const Command kCheckCellCommand{
    "check-cell",
    "A B C ALPHA BETA GAMMA",
    "is the unit cell that of a standard test crystal?",
    "  Prints yes (exit 0) when the edges agree within 0.2 and the angles (degrees)\n"
    "  within 1.0 with one of the three test crystals, else no (exit 1).",
    6,
    6,
    RunCheckCell};

}  // namespace zt7cli
