// A CIF document as CIF-JSON, the form of the COMCIFS draft that other CIF tools emit.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace cif_dp {
class TCifDP;
}

namespace zt7 {

// Writes the document as CIF-JSON text (UTF-8, ending in a line feed), handing it to
// `write` a piece at a time as it goes. Every value is an array (one element for a single
// item), values are strings, an unquoted ? is null and an unquoted . is false; block,
// frame and data names are in lower case. A name occurs once per object: the later of two
// entries of one name (the one the block's lookups find) is written, and `warn` gets one
// line naming the one it hides.
void WriteCifJson(const cif_dp::TCifDP& document,
                  const std::function<void(std::string_view)>& write,
                  const std::function<void(const std::string&)>& warn);

}  // namespace zt7
