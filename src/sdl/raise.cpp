// The raising functions, out of line so that the paths calling them stay short.
#include "sdl/raise.h"

#include "sdl/ebase.h"

namespace zodu {

void RaiseFunctionFailed(const char* file, const char* function, int line, const char* message) {
  throw TFunctionFailedException(FormatLocation(file, function, line), vexstr(message));
}

void RaiseIndexOutOfRange(const char* file, const char* function, int line, size_t index,
                          size_t min, size_t max) {
  throw TIndexOutOfRangeException(FormatLocation(file, function, line), index, min, max);
}

void RaiseInvalidBool(const char* file, const char* function, int line, const char16_t* text,
                      size_t length) {
  throw TInvalidBoolException(FormatLocation(file, function, line), vexstr(text, length));
}

void RaiseInvalidFloat(const char* file, const char* function, int line, const char* text,
                       size_t length) {
  throw TInvalidFloatNumberException(FormatLocation(file, function, line), vexstr(text, length));
}

void RaiseInvalidFloat(const char* file, const char* function, int line, const char16_t* text,
                       size_t length) {
  throw TInvalidFloatNumberException(FormatLocation(file, function, line), vexstr(text, length));
}

void RaiseInvalidInteger(const char* file, const char* function, int line, const char* text,
                         size_t length) {
  throw TInvalidIntegerNumberException(FormatLocation(file, function, line), vexstr(text, length));
}

void RaiseInvalidInteger(const char* file, const char* function, int line, const char16_t* text,
                         size_t length) {
  throw TInvalidIntegerNumberException(FormatLocation(file, function, line), vexstr(text, length));
}

void RaiseOutOfMemory(const char* file, const char* function, int line) {
  throw TOutOfMemoryException(FormatLocation(file, function, line));
}

}  // namespace zodu
