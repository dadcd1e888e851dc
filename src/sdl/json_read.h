// Reading JSON documents that this system wrote: a tree of values, each knowing the text
// it came from, so that a part can be passed on byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdl/result.h"

namespace zt7::json {

struct Value {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;  // a string's content as UTF-8; lone U+DC80..U+DCFF as the bytes they stand for
  std::vector<Value> items;
  // An object's members in order, names[i] naming values[i] (a pair would need Value whole).
  std::vector<std::string> names;
  std::vector<Value> values;
  std::string_view raw;  // the value's text in the document (which must outlive it)

  // The member `key` of an object, or null when there is none or this is no object.
  const Value* Get(const std::string& key) const;
};

// The one value that `text` holds, blanks around it allowed; refused with the line and the
// reason ("unexpected end" for a cut text). Nesting deeper than 64 is refused.
Result<Value> Parse(std::string_view text);

}  // namespace zt7::json
