// The stream position check and the text helpers shared by every stream.
#include "sdl/istream.h"

#include <cstdlib>  // for free
#include <memory>

#include "sdl/ebase.h"

namespace zodu {

void VexIStream::CheckSize(uint64_t value) {
  if ((value >> 32) != 0) RaiseFunctionFailed(ZT_SITE, "invalid stream position");
}

namespace {

// Reads `count` characters of T and appends them to `to`.
template <class S>
void ReadText(IInputStream& in, S& to, size_t count) {
  using T = typename S::char_type;
  if (count == 0) return;
  if (count > SIZE_MAX / sizeof(T) - 1) RaiseOutOfMemory(ZT_SITE);
  std::unique_ptr<T, decltype(&std::free)> chars(
      static_cast<T*>(vex_malloc_((count + 1) * sizeof(T))), &std::free);
  in.Read(chars.get(), count * sizeof(T));
  chars.get()[count] = 0;
  S piece = S::Adopt(chars.release(), count, count + 1);
  if (to.IsEmpty())
    to = std::move(piece);
  else
    to << piece;
}

}  // namespace

void IInputStream::Read(vexstr& to, size_t count) {
  ReadText(*this, to, count);
}
void IInputStream::Read(vexcstr& to, size_t count) {
  ReadText(*this, to, count);
}

void IOutputStream::Write(const vexcstr& text) {
  Write(text.raw(), text.Length());
}
void IOutputStream::Write(const vexstr& text) {
  Write(text.raw(), text.Length() * sizeof(char16_t));
}

void IOutputStream::Writeln(const vexcstr& text) {
  Write(text);
  Writeln();
}

void IOutputStream::Writeln(const vexstr& text) {
  Write(text);
  Write(u"\r\n", 2 * sizeof(char16_t));
}

void IOutputStream::Writeln() {
  Write("\r\n", 2);
}

}  // namespace zodu
