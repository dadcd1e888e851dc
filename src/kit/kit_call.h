// The boundary of the zt7kit functions: arguments checked, results and reasons handed out
// as texts the caller owns, no exception let through.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "sdl/result.h"
#include "zt7kit.h"

namespace zt7::kit {

zt7kit_status StatusOf(Outcome outcome);

// Sets `*out` (when `out` is given) to a malloc'ed copy of `text`, or to NULL for an empty
// text. Raises std::bad_alloc when there is no memory for the copy.
void Hand(char** out, const std::string& text);

// Sets every given output to NULL, before anything else: a caller may free them all
// whatever the outcome.
void Clear(std::initializer_list<char**> outputs);

// ZT7KIT_REFUSED with the reason naming the first argument that is null, or ZT7KIT_OK.
zt7kit_status NeedAll(char** message,
                      std::initializer_list<std::pair<const char*, const void*>> arguments);

// The result's status, with its reason (or, when kOk, its notes) in `message`.
template <class T>
zt7kit_status Answer(const Result<T>& result, char** message) {
  Hand(message, result.Reason());
  return StatusOf(result.GetOutcome());
}

// The scheme of a new HKL digest, 0 standing for the default; false for an unknown one.
bool KnownKeyVersion(int& version);

// Lines joined with line feeds, none after the last.
std::string Lines(const std::vector<std::string>& lines);

// The report of the exception being handled, for `message`. Call only in a catch block.
zt7kit_status Caught(char** message) noexcept;

// Runs `body`, which gives the status; what it raises becomes ZT7KIT_ERROR.
template <class Body>
zt7kit_status Guard(char** message, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return Caught(message);
  }
}

}  // namespace zt7::kit
