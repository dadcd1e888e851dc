// Returned texts: the module-owned narrow copies that text exports hand to the host.
#include "zt3util/returned_text.h"

#include "sdl/estrlist.h"

namespace zt3util {
namespace {

// Every text handed out, freed when the module is unloaded.
zodu::TCStrList& Keeper() {
  static zodu::TCStrList texts;
  return texts;
}

}  // namespace

const char* MakeReturnedText(const zodu::vexstr& text) {
  zodu::vexcstr narrow(text);
  // An empty text gets its own buffer too, so that no two calls share an address.
  if (narrow.IsEmpty()) narrow = zodu::vexcstr("", 0);
  return Keeper().Add(std::move(narrow)).c_str();
}

}  // namespace zt3util
