// A CIF document as CIF-JSON, the form of the COMCIFS draft that other CIF tools emit.
#pragma once

#include <string>

namespace cif_dp {
class TCifDP;
}

namespace zt7cli {

// The document as CIF-JSON text (UTF-8, ending in a line feed). Every value is an array
// (one element for a single item), values are strings, an unquoted ? is null and an
// unquoted . is false; block, frame and data names are in lower case.
std::string CifJson(const cif_dp::TCifDP& document);

}  // namespace zt7cli
