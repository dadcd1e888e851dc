// Subcommands comparing two HKL files and recognising test-crystal cells.
#include <cerrno>
#include <cstdio>
#include <cstdlib>  // for strtod
#include <memory>
#include <string>
#include <vector>

#include "cli_support.h"
#include "tool.h"
#include "zt7kit.h"

namespace zt7cli {
namespace {

constexpr char kMatchHkl[] = "match-hkl";
constexpr char kCheckCell[] = "check-cell";

int RunMatchHkl(const std::string& a, const std::string& b) {
  KitText message;
  double distance = 1.0;
  const zt7kit_status status = zt7kit_match_hkl(a.c_str(), b.c_str(), &distance, message.Out());
  if (status != ZT7KIT_OK) return Refused(kMatchHkl, a, message.Text());
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", distance);  // enough digits to read it back exactly
  PrintLine(text);
  return kSuccess;
}

int RunCheckCell(const std::vector<std::string>& values) {
  double cell[6];
  for (size_t i = 0; i < 6; ++i) {
    const char* text = values[i].c_str();
    char* end = nullptr;
    errno = 0;
    cell[i] = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE)
      return UsageError(kCheckCell, "not a number: '" + values[i] + "'");
  }
  const bool testCrystal = zt7kit_check_cell(cell, nullptr) == ZT7KIT_OK;
  PrintLine(testCrystal ? "yes" : "no");
  return testCrystal ? kSuccess : kRefused;
}

}  // namespace

void AddMatchCommands(Tool& tool) {
  auto files = std::make_shared<std::vector<std::string>>();
  tool.Add({kMatchHkl, "A B", "distance between the intensity distributions of two HKL files",
            "  Prints 0 for files with the same intensities, in any order, and more the more\n"
            "  they differ; 1 when they cannot be compared (different numbers of reflections,\n"
            "  fewer than 20, or a file that is no HKL file)."},
           [files] { return RunMatchHkl((*files)[0], (*files)[1]); })
      .add_option("A B", *files)
      ->expected(2)
      ->required();

  auto cell = std::make_shared<std::vector<std::string>>();
  tool.Add({kCheckCell, "A B C ALPHA BETA GAMMA",
            "is the unit cell that of a standard test crystal?",
            "  Prints yes (exit 0) when the edges agree within 0.2 and the angles (degrees)\n"
            "  within 1.0 with one of the three test crystals, else no (exit 1)."},
           [cell] { return RunCheckCell(*cell); })
      .add_option("A B C ALPHA BETA GAMMA", *cell)
      ->expected(6)
      ->required();
}

}  // namespace zt7cli
