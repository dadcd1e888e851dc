// The raising functions: build an error location from a source site and throw.
#pragma once

#include <cstddef>

// The site of the caller, for the raising functions and FormatLocation.
#define ZT_SITE __FILE__, __PRETTY_FUNCTION__, __LINE__

namespace zodu {

// Cold and out of line so that the paths that call them stay short; the error text is
// built only when something fails.
[[noreturn, gnu::cold]] void RaiseFunctionFailed(const char* file, const char* function, int line,
                                                 const char* message);
[[noreturn, gnu::cold]] void RaiseIndexOutOfRange(const char* file, const char* function, int line,
                                                  size_t index, size_t min, size_t max);
[[noreturn, gnu::cold]] void RaiseInvalidBool(const char* file, const char* function, int line,
                                              const char16_t* text, size_t length);
[[noreturn, gnu::cold]] void RaiseInvalidFloat(const char* file, const char* function, int line,
                                               const char* text, size_t length);
[[noreturn, gnu::cold]] void RaiseInvalidFloat(const char* file, const char* function, int line,
                                               const char16_t* text, size_t length);
[[noreturn, gnu::cold]] void RaiseInvalidInteger(const char* file, const char* function, int line,
                                                 const char* text, size_t length);
[[noreturn, gnu::cold]] void RaiseInvalidInteger(const char* file, const char* function, int line,
                                                 const char16_t* text, size_t length);
[[noreturn, gnu::cold]] void RaiseOutOfMemory(const char* file, const char* function, int line);

// Allocation that raises TOutOfMemoryException instead of returning null; size 0 may
// give null.
void* vex_malloc_(size_t size);
void* vex_realloc_(void* pointer, size_t size);

}  // namespace zodu
