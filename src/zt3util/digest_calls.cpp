// The digests and checks with their own reasons: each call runs under a LogCapture.
#include "zt3util/digest_calls.h"

#include <new>
#include <stdexcept>

#include "repository/hkl_match.h"
#include "sdl/ebase.h"
#include "sdl/efile.h"
#include "sdl/log.h"
#include "sdl/log_capture.h"
#include "sdl/regular_file.h"
#include "sdl/utf8_path.h"
#include "zt3util/digest_schemes.h"
#include "zt3util/dyn_digest.h"
#include "zt3util/dyn_loop.h"
#include "zt3util/frames_digest.h"
#include "zt3util/hkl_digest.h"
#include "zt3util/hkl_validation.h"
#include "zt3util/stored_digest.h"

namespace zt7 {
namespace {

using zodu::LogCapture;
using zodu::vexcstr;
using zodu::vexstr;

std::string Utf8(const vexstr& text) {
  const vexcstr bytes = zodu::PathToUtf8(text);
  return std::string(bytes.raw(), bytes.Length());
}

std::string Narrow(const vexcstr& text) {
  return std::string(text.raw(), text.Length());
}

vexstr Path(const std::string& utf8) {
  return zodu::PathFromUtf8(utf8.data(), utf8.size());
}

// What a call logged: its last reason, its errors and its warnings, one per line.
struct Logged {
  std::string reason, errors, warnings;
};

Logged Sorted(const LogCapture& capture) {
  Logged logged;
  const auto add = [](std::string& lines, const std::string& text) {
    lines += (lines.empty() ? "" : "\n") + text;
  };
  for (const LogCapture::Entry& entry : capture.Entries()) {
    const std::string text = Utf8(entry.text);
    if (entry.kind == zodu::kLogError || entry.kind == zodu::kLogException)
      add(logged.errors, text);
    else if (entry.kind == zodu::kLogWarning)
      add(logged.warnings, text);
    else
      logged.reason = text;
  }
  return logged;
}

// The report of the exception being handled.
std::string CaughtReport() {
  try {
    throw;
  } catch (const zodu::TBasicException& e) {
    return Utf8(e.GetReport());
  } catch (const std::bad_alloc&) {
    return "out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "an unknown error";
  }
}

// A call run under a capture of its own: its value, unless it raised or logged an error.
template <class T>
struct Call {
  T value{};
  std::string error;
  Logged logged;
};

template <class T, class Body>
Call<T> Run(Body&& body) {
  Call<T> call;
  LogCapture capture;
  try {
    call.value = body();
  } catch (...) {
    call.error = CaughtReport();
  }
  call.logged = Sorted(capture);
  if (call.error.empty()) call.error = call.logged.errors;
  return call;
}

// An empty digest is a refusal, with the last reason logged.
template <class Body>
Result<std::string> Digest(Body&& make) {
  Call<std::string> call = Run<std::string>([&] { return Narrow(make()); });
  if (!call.error.empty()) return Result<std::string>(Outcome::kError, call.error);
  if (call.value.empty())
    return Result<std::string>(Outcome::kRefused, call.logged.reason.empty()
                                                      ? "the library gave no reason"
                                                      : call.logged.reason);
  return Result<std::string>(std::move(call.value), call.logged.warnings);
}

// A check's code: a 0, or a 1 where a second part was given, is a mismatch whose reason is
// the last one the check logged. With `noted`, a passing check's last reason is its note
// (the HKL check's unsealed test crystal).
template <class Body>
Result<int> Check(Body&& check, const char* second, bool noted = false) {
  const Call<int> call = Run<int>(check);
  if (!call.error.empty()) return Result<int>(Outcome::kError, call.error);
  const bool passed = call.value == kBothValid || (call.value == kFirstValid && second == nullptr);
  if (passed) return Result<int>(call.value, noted ? call.logged.reason : std::string());
  return Result<int>(Outcome::kMismatch,
                     call.logged.reason.empty() ? "not valid" : call.logged.reason, call.value);
}

// A yes-or-no check: a no is a mismatch with the last reason logged.
Result<Done> Verdict(const Call<bool>& call) {
  if (!call.error.empty()) return Result<Done>(Outcome::kError, call.error);
  if (call.value) return Result<Done>(Done());
  return Result<Done>(Outcome::kMismatch,
                      call.logged.reason.empty() ? "not valid" : call.logged.reason);
}

// A file that is no regular file: named when a call takes two.
template <class T>
Result<T> Refusal(const std::string& why) {
  return Result<T>(Outcome::kRefused, why);
}
template <class T>
Result<T> Refusal(const std::string& path, const std::string& why) {
  return Result<T>(Outcome::kRefused, "'" + path + "': " + why);
}

}  // namespace

Result<std::string> DigestFrames(const std::string& folder, const std::string& mask) {
  return Digest([&] { return DigestFolder(Path(folder), Path(mask)); });
}

Result<int> CheckFrames(const std::string& folder, const std::string& mask, const char* first,
                        const char* second) {
  return Check([&] { return ValidateFramesDigests(Path(folder), Path(mask), first, second); },
               second);
}

Result<int> CheckHkl(const std::string& hkl, const char* first, const char* second) {
  if (const Result<Done> regular = RegularFile(hkl); !regular.Ok())
    return Refusal<int>(regular.Reason());
  return Check([&] { return ValidateHklDigests(Path(hkl), first, second); }, second, true);
}

Result<int> CheckRefs(std::string_view reflections, const char* first, const char* second) {
  // The text as the export takes it: up to its first NUL.
  const std::string text(reflections.substr(0, reflections.find('\0')));
  return Check([&] { return ValidateRefsDigests(text.c_str(), first, second); }, second);
}

Result<std::string> DigestHkl(const std::string& framesFolder, const std::string& mask,
                              const std::string& hkl, const char* framesFirst,
                              const char* framesSecond, int keyVersion) {
  if (const Result<Done> regular = RegularFile(hkl); !regular.Ok())
    return Refusal<std::string>(regular.Reason());
  return Digest([&] {
    const int parts =
        ValidateFramesDigests(Path(framesFolder), Path(mask), framesFirst, framesSecond);
    if (parts == kNotValid) return vexcstr();
    return DigestHklFile(Path(hkl), keyVersion, static_cast<unsigned>(parts));
  });
}

Result<std::string> UpdateHkl(const std::string& oldHkl, const std::string& newHkl,
                              const char* oldFirst, const char* oldSecond) {
  for (const std::string* path : {&oldHkl, &newHkl})
    if (const Result<Done> regular = RegularFile(*path); !regular.Ok())
      return Refusal<std::string>(*path, regular.Reason());
  Result<std::string> digest =
      Digest([&] { return UpdateHklDigests(Path(oldHkl), Path(newHkl), oldFirst, oldSecond); });
  return digest;
}

Result<double> MatchHkl(const std::string& first, const std::string& second) {
  for (const std::string* path : {&first, &second})
    if (const Result<Done> regular = RegularFile(*path); !regular.Ok())
      return Result<double>(Outcome::kRefused, "'" + *path + "': " + regular.Reason(), kNoMatch);
  vexstr whyNot;
  const Call<double> call =
      Run<double>([&] { return MatchHklFiles(Path(first), Path(second), &whyNot); });
  if (!call.error.empty()) return Result<double>(Outcome::kError, call.error, kNoMatch);
  if (!whyNot.IsEmpty()) return Result<double>(Outcome::kRefused, Utf8(whyNot), kNoMatch);
  return Result<double>(call.value);
}

Result<std::string> DigestDyn(const std::string& framesFolder, const std::string& mask,
                              const std::string& file, const char* framesFirst,
                              const char* framesSecond) {
  if (const Result<Done> regular = RegularFile(file); !regular.Ok())
    return Refusal<std::string>(regular.Reason());
  return Digest([&] {
    return DigestDynFile(Path(framesFolder), Path(mask), Path(file), framesFirst, framesSecond);
  });
}

Result<Done> CheckDyn(const std::string& file, const char* digest) {
  if (const Result<Done> regular = RegularFile(file); !regular.Ok())
    return Refusal<Done>(regular.Reason());
  return Verdict(Run<bool>([&] { return ValidateDynDigest(Path(file), digest); }));
}

Result<std::string> SealHklScan(const HklScan& scan, const std::string& path, int keyVersion) {
  return Digest([&] {
    const vexcstr digest = DigestHklScan(scan, Path(path), keyVersion, kDigestPart1 | kDigestPart2);
    // A digest that its own check would not pass (under 100 lines) is none.
    const std::string text = Narrow(digest);
    const size_t comma = text.find(',');
    const std::string first = text.substr(0, comma);
    const std::string second = comma == std::string::npos ? "" : text.substr(comma + 1);
    if (digest.IsEmpty() ||
        ValidateHklScan(scan, Path(path), first.c_str(), second.c_str()) != kBothValid)
      return vexcstr();
    return digest;
  });
}

Result<int> CheckHklScan(const HklScan& scan, const std::string& path, const char* first,
                         const char* second) {
  return Check([&] { return ValidateHklScan(scan, Path(path), first, second); }, second, true);
}

Result<Done> DynLoopLines(const std::string& file, const std::function<void(const vexstr&)>& sink) {
  if (const Result<Done> regular = RegularFile(file); !regular.Ok())
    return Refusal<Done>(regular.Reason());
  const Call<bool> call = Run<bool>([&] {
    zodu::TEFile in(Path(file), u"rb");
    return WriteReflectionLoop(in, sink);
  });
  if (!call.error.empty()) return Result<Done>(Outcome::kError, call.error);
  if (call.value) return Result<Done>(Done());
  return Result<Done>(Outcome::kRefused, call.logged.reason.empty() ? "the library gave no reason"
                                                                    : call.logged.reason);
}

}  // namespace zt7
