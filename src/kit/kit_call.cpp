// The boundary of the zt7kit functions.
#include "kit/kit_call.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include "sdl/ebase.h"
#include "sdl/utf8_path.h"

namespace zt7::kit {

zt7kit_status StatusOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::kOk:
      return ZT7KIT_OK;
    case Outcome::kMismatch:
      return ZT7KIT_MISMATCH;
    case Outcome::kRefused:
      return ZT7KIT_REFUSED;
    default:
      return ZT7KIT_ERROR;
  }
}

void Hand(char** out, const std::string& text) {
  if (out == nullptr) return;
  *out = nullptr;
  if (text.empty()) return;
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy == nullptr) throw std::bad_alloc();
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  *out = copy;
}

void Clear(std::initializer_list<char**> outputs) {
  for (char** out : outputs)
    if (out) *out = nullptr;
}

zt7kit_status NeedAll(char** message,
                      std::initializer_list<std::pair<const char*, const void*>> arguments) {
  for (const auto& [name, pointer] : arguments)
    if (pointer == nullptr) {
      Hand(message, std::string("no ") + name + " given (a null pointer)");
      return ZT7KIT_REFUSED;
    }
  return ZT7KIT_OK;
}

bool KnownKeyVersion(int& version) {
  if (version == 0) version = ZT7KIT_DEFAULT_KEY_VERSION;
  return version >= 1 && version <= 3;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

zt7kit_status Caught(char** message) noexcept {
  try {
    try {
      throw;
    } catch (const zodu::TBasicException& e) {
      const zodu::vexcstr report = zodu::PathToUtf8(e.GetReport());
      Hand(message, std::string(report.raw(), report.Length()));
    } catch (const std::bad_alloc&) {
      Hand(message, "out of memory");
    } catch (const std::exception& e) {
      Hand(message, e.what());
    } catch (...) {
      Hand(message, "an unknown error");
    }
  } catch (...) {
    // No memory even for the reason: the status says enough.
    if (message) *message = nullptr;
  }
  return ZT7KIT_ERROR;
}

}  // namespace zt7::kit
