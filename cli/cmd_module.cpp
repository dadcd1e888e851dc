// Subcommands about the module itself: its versions and the pcGetInfo check number.
#include <string>

#include "cli_support.h"
#include "zt7util.h"

namespace zt7cli {
namespace {

int RunVersion(const Arguments&) {
  PrintLine("module version: " + std::to_string(iwGetVersion()));
  PrintLine("key version: " + std::to_string(iGetKeyVersion()));
  return kSuccess;
}

int RunInfo(const Arguments& arguments) {
  PrintLine(pcGetInfo(arguments[0].c_str()));
  return kSuccess;
}

}  // namespace

extern const Command kVersionCommand{
    "version",
    "",
    "the module's version and its digest scheme (key) version",
    "  The key version is the digest scheme for new HKL digests; it is 3 in a freshly\n"
    "  loaded module.",
    0,
    0,
    RunVersion};

extern const Command kInfoCommand{
    "info",
    "TEXT",
    "the module's check number of TEXT (pcGetInfo)",
    "  Half the difference between the sums of TEXT's bytes at odd and at even\n"
    "  positions, each byte taken as a signed 8-bit value.",
    1,
    1,
    RunInfo};

}  // namespace zt7cli
