// Subcommands about the library itself: its versions and the check number of a text.
#include <memory>
#include <string>

#include "cli_support.h"
#include "tool.h"
#include "zt7kit.h"

namespace zt7cli {

void AddModuleCommands(Tool& tool) {
  tool.Add({"version", "", "the module's version and its digest scheme (key) version",
            "  The key version is the digest scheme of new HKL digests unless --key-version\n"
            "  chooses another."},
           [] {
             PrintLine("module version: " + std::to_string(zt7kit_version()));
             PrintLine("key version: " + std::to_string(ZT7KIT_DEFAULT_KEY_VERSION));
             return kSuccess;
           });

  auto text = std::make_shared<std::string>();
  tool.Add({"info", "TEXT", "the module's check number of TEXT (as pcGetInfo gives it)",
            "  Half the difference between the sums of TEXT's bytes at odd and at even\n"
            "  positions, each byte taken as a signed 8-bit value."},
           [text]() -> int {
             KitText number, message;
             if (zt7kit_info(text->data(), text->size(), number.Out(), message.Out()) != ZT7KIT_OK)
               return Refused("info", *text, message.Text());
             PrintLine(number.Text());
             return kSuccess;
           })
      .add_option("TEXT", *text)
      ->required();
}

}  // namespace zt7cli
