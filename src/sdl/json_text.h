// JSON string literals from 16-bit text.
#pragma once

#include <string>
#include <string_view>

namespace zt7 {

// Appends `text` to `out` as a quoted JSON string in UTF-8. Quotes, backslashes and
// control characters are escaped, a surrogate pair becomes one four-byte character, and
// a surrogate without its partner, which UTF-8 cannot carry, is written as \uXXXX.
void AppendJsonString(std::string& out, std::u16string_view text);

}  // namespace zt7
