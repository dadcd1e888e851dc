// The object root, the reference-counted base and the exception tree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdl/raise.h"
#include "sdl/smart/vex_istring.h"

namespace zodu {

// Root interface of the library's classes.
class IVexObject {
 public:
  virtual ~IVexObject() = default;
  // The object's qualified class name unless a class says otherwise.
  virtual vexstr ToString() const;
  // A new copy of the object; raises "Not implemented" unless a class supports it.
  virtual IVexObject* Replicate() const;
};

// Reference-counted base; the count must be back at zero when the object dies.
class AReferencible : public virtual IVexObject {
 public:
  ~AReferencible() override;
  int IncRef() { return ++refCount_; }
  int DecRef() { return --refCount_; }

 private:
  int refCount_ = 0;
};

// Where an error was raised: "[" + file + "(" + function + "):" + line + "]".
// `file` is the source path under src/ (the build maps __FILE__ so), `function` the
// compiler's pretty function name; both are reduced to their short forms here.
vexstr FormatLocation(const char* file, const char* function, int line);

#define ZT_LOCATION ::zodu::FormatLocation(ZT_SITE)

class TBasicException;
template <class S>
class TTStrList;

class TExceptionBase : public IVexObject {
 public:
  virtual void DoNothing() const = 0;
  // The same object seen as a TBasicException; raises "invalid exception type" otherwise.
  static const TBasicException* GetException(const TExceptionBase& e);
};

class TBasicException : public TExceptionBase {
 public:
  TBasicException(const vexstr& location, const vexstr& message);
  TBasicException(const TBasicException& other);
  TBasicException& operator=(const TBasicException&) = delete;
  ~TBasicException() override;

  void DoNothing() const override {}
  virtual const char* GetKindName() const { return nullptr; }
  // Kind name (or class name), " " + message when there is one, " at " + location.
  virtual vexstr GetReport() const;
  IVexObject* Replicate() const override = 0;

  const vexstr& GetMessage() const { return message_; }
  const vexstr& GetLocation() const { return location_; }
  const TBasicException* GetCause() const { return cause_; }
  // Takes ownership of `cause`.
  void SetCause(TBasicException* cause);
  // Reports of this exception and its causes, innermost first, appended to `out`.
  TTStrList<vexstr>& GetCauseChain(TTStrList<vexstr>& out) const;

 private:
  vexstr message_;
  vexstr location_;
  TBasicException* cause_ = nullptr;
};

// Declares a concrete exception class with its copy for Replicate and its kind name.
#define ZT_EXCEPTION_COMMON(Class, Kind)     \
  IVexObject* Replicate() const override {   \
    return new Class(*this);                 \
  }                                          \
  const char* GetKindName() const override { \
    return Kind;                             \
  }

class TFunctionFailedException : public TBasicException {
 public:
  TFunctionFailedException(const vexstr& location, const vexstr& message)
      : TBasicException(location, message) {}
  ZT_EXCEPTION_COMMON(TFunctionFailedException, "Failed")
};

class TInvalidArgumentException : public TBasicException {
 public:
  TInvalidArgumentException(const vexstr& location, const vexstr& argument)
      : TBasicException(location, argument) {}
  ZT_EXCEPTION_COMMON(TInvalidArgumentException, nullptr)
};

class TNotImplementedException : public TBasicException {
 public:
  explicit TNotImplementedException(const vexstr& location) : TBasicException(location, vexstr()) {}
  ZT_EXCEPTION_COMMON(TNotImplementedException, "Not implemented")
};

class TIndexOutOfRangeException : public TBasicException {
 public:
  TIndexOutOfRangeException(const vexstr& location, size_t index, size_t min, size_t max);
  ZT_EXCEPTION_COMMON(TIndexOutOfRangeException, "Invalid index")
  size_t GetIndex() const { return index_; }
  size_t GetMin() const { return min_; }
  size_t GetMax() const { return max_; }

 private:
  size_t index_, min_, max_;
};

class TInvalidFormatException : public TBasicException {
 public:
  TInvalidFormatException(const vexstr& location, const vexstr& message)
      : TBasicException(location, message) {}
  ZT_EXCEPTION_COMMON(TInvalidFormatException, nullptr)
};

class TInvalidNumberException : public TInvalidFormatException {
 public:
  TInvalidNumberException(const vexstr& location, const vexstr& message)
      : TInvalidFormatException(location, message) {}
  ZT_EXCEPTION_COMMON(TInvalidNumberException, nullptr)
};

// The number and bool errors carry the offending text in single quotes.
class TInvalidIntegerNumberException : public TInvalidNumberException {
 public:
  TInvalidIntegerNumberException(const vexstr& location, const vexstr& text)
      : TInvalidNumberException(location, vexstr(u"'") << text << u"'") {}
  ZT_EXCEPTION_COMMON(TInvalidIntegerNumberException, "Invalid integer format")
};

class TInvalidFloatNumberException : public TInvalidNumberException {
 public:
  TInvalidFloatNumberException(const vexstr& location, const vexstr& text)
      : TInvalidNumberException(location, vexstr(u"'") << text << u"'") {}
  ZT_EXCEPTION_COMMON(TInvalidFloatNumberException, "Invalid float format")
};

class TInvalidBoolException : public TInvalidFormatException {
 public:
  TInvalidBoolException(const vexstr& location, const vexstr& text)
      : TInvalidFormatException(location, vexstr(u"'") << text << u"'") {}
  ZT_EXCEPTION_COMMON(TInvalidBoolException, "Invalid boolean format")
};

class TOutOfMemoryException : public TBasicException {
 public:
  explicit TOutOfMemoryException(const vexstr& location) : TBasicException(location, vexstr()) {}
  ZT_EXCEPTION_COMMON(TOutOfMemoryException, "Out of memory")
};

class TIOException : public TBasicException {
 public:
  TIOException(const vexstr& location, const vexstr& message)
      : TBasicException(location, message) {}
  ZT_EXCEPTION_COMMON(TIOException, nullptr)
};

// Message: file name + " " + message.
class TFileException : public TIOException {
 public:
  TFileException(const vexstr& location, const vexstr& fileName, const vexstr& message)
      : TIOException(location, vexstr(fileName) << u' ' << message), fileName_(fileName) {}
  ZT_EXCEPTION_COMMON(TFileException, nullptr)
  const vexstr& GetFileName() const { return fileName_; }

 private:
  vexstr fileName_;
};

class TFileDoesNotExistException : public TFileException {
 public:
  TFileDoesNotExistException(const vexstr& location, const vexstr& fileName)
      : TFileException(location, fileName, vexstr()) {}
  ZT_EXCEPTION_COMMON(TFileDoesNotExistException, "File does not exist")
};

#undef ZT_EXCEPTION_COMMON

}  // namespace zodu
