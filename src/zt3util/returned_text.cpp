// Returned texts: the module-owned narrow copies that text exports hand to the host.
#include "zt3util/returned_text.h"

#include "sdl/egc.h"

namespace zt7 {

const char* MakeReturnedText(const zodu::vexstr& text) {
  zodu::vexcstr narrow(text);
  // An empty text gets its own buffer too, so that no two calls share an address.
  if (narrow.IsEmpty()) narrow = zodu::vexcstr("", 0);
  const char* chars = narrow.c_str();
  zodu::TEGC::Get().AddP(new zodu::vexcstr(std::move(narrow)));
  return chars;
}

}  // namespace zt7
