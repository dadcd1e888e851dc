// Fuzz target: arbitrary bytes as an HKL reflection list, digested and checked under every
// scheme. Module errors are expected for some inputs; crashes and sanitizer reports are not.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sdl/ebase.h"
#include "zt3util/digest_schemes.h"
#include "zt3util/hkl_validation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  zodu::TCStrList lines;
  // Split as a reflection text is split: at line feeds, empty pieces skipped.
  lines.Strtok(zodu::vexcstr(text.data(), text.size()), '\n', true);
  for (int version : {1, 2, 3})
    for (bool legacy : {false, true}) {
      try {
        const zodu::vexcstr digest = zt7::ComposeDigest(lines, version, 3, legacy);
        if (!digest.IsEmpty() && digest.Length() != 77) __builtin_trap();
        const std::string parts(digest.raw(), digest.Length());
        if (!parts.empty() &&
            zt7::ValidateRefsDigests(text.c_str(), parts.substr(0, 38).c_str(),
                                     parts.substr(39).c_str()) == 0 &&
            text.find('\0') == std::string::npos && lines.Count() >= 100)
          __builtin_trap();  // a list must validate against its own digest
      } catch (const zodu::TExceptionBase&) {
      }
    }
  return 0;
}
