// Subcommands about the module itself: its versions and the pcGetInfo check number.
#include <memory>
#include <string>

#include "cli_support.h"
#include "tool.h"
#include "zt7util.h"

namespace zt7cli {

void AddModuleCommands(Tool& tool) {
  tool.Add({"version", "", "the module's version and its digest scheme (key) version",
            "  The key version is the digest scheme for new HKL digests; it is 3 in a freshly\n"
            "  loaded module."},
           [] {
             PrintLine("module version: " + std::to_string(iwGetVersion()));
             PrintLine("key version: " + std::to_string(iGetKeyVersion()));
             return kSuccess;
           });

  auto text = std::make_shared<std::string>();
  tool.Add({"info", "TEXT", "the module's check number of TEXT (pcGetInfo)",
            "  Half the difference between the sums of TEXT's bytes at odd and at even\n"
            "  positions, each byte taken as a signed 8-bit value."},
           [text] {
             PrintLine(pcGetInfo(text->c_str()));
             return kSuccess;
           })
      .add_option("TEXT", *text)
      ->required();
}

}  // namespace zt7cli
