// The object root, the exception tree and allocation that raises on failure.
#include "sdl/ebase.h"

#include <cxxabi.h>  // for __cxa_demangle

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>

#include "sdl/estrlist.h"

namespace zodu {
namespace {

std::string Demangle(const char* mangled) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(mangled);
}

}  // namespace

vexstr IVexObject::ToString() const {
  std::string name = Demangle(typeid(*this).name());
  return vexstr(name.data(), name.size());
}

IVexObject* IVexObject::Replicate() const {
  throw TNotImplementedException(ZT_LOCATION);
}

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

TBasicException::~TBasicException() {
  delete cause_;
}

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
