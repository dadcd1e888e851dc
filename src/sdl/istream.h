// Byte stream interfaces that files and memory streams implement.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zodu {

class TCString;
class TWString;
template <class Base, typename T>
class TTSString;
using vexstr = TTSString<TWString, char16_t>;
using vexcstr = TTSString<TCString, char>;

// Common root of input and output streams. Streams address at most 4 GiB.
class VexIStream {
 public:
  virtual ~VexIStream() = default;
  virtual uint64_t Length() = 0;
  virtual uint64_t GetPosition() = 0;
  virtual void SetPosition(uint64_t position) = 0;

  // Raises "invalid stream position" when the upper 32 bits of `value` are set.
  static void CheckSize(uint64_t value);
};

class IInputStream : public virtual VexIStream {
 public:
  // Reads exactly `count` bytes or raises.
  virtual void Read(void* buffer, size_t count) = 0;
  // Appends `count` wide characters (2 bytes each) to `to`.
  void Read(vexstr& to, size_t count);
  // Appends `count` bytes to `to`.
  void Read(vexcstr& to, size_t count);
};

class IDataInputStream : public IInputStream {};

class IOutputStream : public virtual VexIStream {
 public:
  // Writes exactly `count` bytes or raises.
  virtual void Write(const void* buffer, size_t count) = 0;
  virtual void Flush() = 0;
  // Text writers: narrow text as its bytes, wide text as two bytes per character.
  void Write(const vexcstr& text);
  void Write(const vexstr& text);
  void Writeln(const vexcstr& text);
  void Writeln(const vexstr& text);
  void Writeln();
};

class IDataOutputStream : public IOutputStream {};

}  // namespace zodu
