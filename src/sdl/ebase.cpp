// The object root, the exception tree, the raising functions and allocation.
#include "sdl/ebase.h"

#include <cxxabi.h>  // for __cxa_demangle

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "sdl/estrlist.h"

namespace zodu {
namespace {

// "zodu::TEFile::Open" from "void zodu::TEFile::Open(const vexstr&)"; template parameters
// named in a trailing "[with A = x; ...]" are replaced by their arguments.
std::string ShortFunctionName(std::string_view pretty) {
  std::string_view with;
  if (size_t w = pretty.find(" [with "); w != std::string_view::npos) {
    with = pretty.substr(w + 7, pretty.size() - w - 8);
    pretty = pretty.substr(0, w);
  }
  int depth = 0;
  size_t nameStart = 0, nameEnd = pretty.size();
  for (size_t i = 0; i < pretty.size(); ++i) {
    char c = pretty[i];
    if (c == '<') ++depth;
    if (c == '>') --depth;
    if (depth != 0) continue;
    if (c == ' ') nameStart = i + 1;
    if (c == '(' && i > nameStart) {
      nameEnd = i;
      break;
    }
  }
  std::string name(pretty.substr(nameStart, nameEnd - nameStart));
  while (!with.empty()) {
    size_t semi = with.find("; ");
    std::string_view binding = with.substr(0, semi);
    with = semi == std::string_view::npos ? std::string_view() : with.substr(semi + 2);
    size_t eq = binding.find(" = ");
    if (eq == std::string_view::npos) continue;
    std::string param(binding.substr(0, eq)), arg(binding.substr(eq + 3));
    for (size_t at = name.find(param); at != std::string::npos; at = name.find(param, at)) {
      auto isIdent = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
      bool whole = (at == 0 || !isIdent(name[at - 1])) &&
                   (at + param.size() == name.size() || !isIdent(name[at + param.size()]));
      if (whole) {
        name.replace(at, param.size(), arg);
        at += arg.size();
      } else {
        at += param.size();
      }
    }
  }
  return name;
}

// "sdl/efile" from "sdl/efile.cpp" (or from an absolute path through .../src/).
std::string_view ShortFileName(std::string_view file) {
  if (size_t src = file.rfind("/src/"); src != std::string_view::npos) file.remove_prefix(src + 5);
  if (size_t dot = file.rfind('.'); dot != std::string_view::npos && file.find('/', dot) == file.npos)
    file = file.substr(0, dot);
  return file;
}

std::string Demangle(const char* mangled) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

}  // namespace

vexstr FormatLocation(const char* file, const char* function, int line) {
  std::string_view f = ShortFileName(file);
  std::string fn = ShortFunctionName(function);
  vexstr location(u"[");
  location << vexstr(f.data(), f.size()) << u'(' << vexstr(fn.data(), fn.size()) << u"):" << line
           << u']';
  return location;
}

vexstr IVexObject::ToString() const {
  std::string name = Demangle(typeid(*this).name());
  return vexstr(name.data(), name.size());
}

IVexObject* IVexObject::Replicate() const { throw TNotImplementedException(ZT_LOCATION); }

AReferencible::~AReferencible() {
  // Throwing from a destructor would terminate the host process: report instead.
  if (refCount_ != 0)
    std::fprintf(stderr, "Failed: reference count is not zero (%d) at [sdl/ebase]\n", refCount_);
}

const TBasicException* TExceptionBase::GetException(const TExceptionBase& e) {
  if (auto* basic = dynamic_cast<const TBasicException*>(&e)) return basic;
  RaiseFunctionFailed(ZT_SITE, "invalid exception type");
}

TBasicException::TBasicException(const vexstr& location, const vexstr& message)
    : message_(message), location_(location) {}

TBasicException::TBasicException(const TBasicException& other)
    : TExceptionBase(other),
      message_(other.message_),
      location_(other.location_),
      cause_(other.cause_ ? static_cast<TBasicException*>(other.cause_->Replicate()) : nullptr) {}

TBasicException::~TBasicException() { delete cause_; }

void TBasicException::SetCause(TBasicException* cause) {
  delete cause_;
  cause_ = cause;
}

vexstr TBasicException::GetReport() const {
  vexstr report;
  if (const char* kind = GetKindName())
    report << kind;
  else
    report << ToString();
  if (!message_.IsEmpty()) report << u' ' << message_;
  report << u" at " << location_;
  return report;
}

TTStrList<vexstr>& TBasicException::GetCauseChain(TTStrList<vexstr>& out) const {
  size_t first = out.Count();
  for (const TBasicException* e = this; e; e = e->cause_) out.Add(e->GetReport());
  out.Reverse(first, out.Count());
  return out;
}

TIndexOutOfRangeException::TIndexOutOfRangeException(const vexstr& location, size_t index,
                                                     size_t min, size_t max)
    : TBasicException(location, vexstr(u"[") << static_cast<unsigned long>(min) << u".."
                                             << static_cast<unsigned long>(max) << u"]: "
                                             << static_cast<unsigned long>(index)),
      index_(index),
      min_(min),
      max_(max) {}

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

void* vex_malloc_(size_t size) {
  void* p = std::malloc(size);
  if (!p && size != 0) RaiseOutOfMemory(ZT_SITE);
  return p;
}

void* vex_realloc_(void* pointer, size_t size) {
  void* p = std::realloc(pointer, size);
  if (!p && size != 0) RaiseOutOfMemory(ZT_SITE);
  return p;
}

}  // namespace zodu
