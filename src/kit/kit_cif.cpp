// zt7kit: reading CIF files, CIF-JSON, writing a document back, and the DYN loop text.
#include <string>
#include <string_view>
#include <vector>

#include "kit/kit_call.h"
#include "sdl/utf8_path.h"
#include "xlib/cif_check.h"
#include "xlib/cif_json.h"
#include "zt3util/digest_calls.h"
#include "zt7kit.h"

namespace kit = zt7::kit;

namespace {

// A writer that, once it said stop, is not called again.
struct Writer {
  zt7kit_write write;
  void* context;
  bool stopped = false;

  bool operator()(std::string_view piece) {
    if (!stopped && !piece.empty()) stopped = write(piece.data(), piece.size(), context) != 0;
    return !stopped;
  }
};

zt7kit_status Stopped(char** message) {
  kit::Hand(message, "stopped by the caller");
  return ZT7KIT_ERROR;
}

// The source of a CIF: a path, or bytes when the path is null.
zt7kit_status NeedSource(const char* path, const char* bytes, char** message) {
  if (path || bytes) return ZT7KIT_OK;
  kit::Hand(message, "no path and no bytes given (null pointers)");
  return ZT7KIT_REFUSED;
}

std::string_view Bytes(const char* bytes, size_t length) {
  return bytes ? std::string_view(bytes, length) : std::string_view();
}

// The findings and the reading's notes handed out.
void HandReading(const zt7::CifReading& reading, char** findings, char** message,
                 std::vector<std::string> more = {}) {
  kit::Hand(findings, FindingLines(reading));
  std::vector<std::string> notes = ReadingNotes(reading);
  notes.insert(notes.end(), more.begin(), more.end());
  kit::Hand(message, kit::Lines(notes));
}

}  // namespace

zt7kit_status zt7kit_check_cif(const char* path, const char* bytes, size_t length, char** json,
                               char** summary, char** findings, char** message) {
  kit::Clear({json, summary, findings, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = NeedSource(path, bytes, message)) return s;
    cif_dp::TCifDP document;
    const zt7::CifReading reading = zt7::ReadCif(path, Bytes(bytes, length), document);
    kit::Hand(json, CifCheckJson(reading, document));
    if (reading.Read()) kit::Hand(summary, ReadingSummary(reading, document));
    HandReading(reading, findings, message);
    return !reading.Read() ? ZT7KIT_REFUSED : reading.lost ? ZT7KIT_MISMATCH : ZT7KIT_OK;
  });
}

zt7kit_status zt7kit_cif_json(const char* path, const char* bytes, size_t length,
                              zt7kit_write write, void* context, char** findings, char** message) {
  kit::Clear({findings, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = NeedSource(path, bytes, message)) return s;
    if (zt7kit_status s = kit::NeedAll(message, {{"writer", reinterpret_cast<void*>(write)}}))
      return s;
    cif_dp::TCifDP document;
    const zt7::CifReading reading = zt7::ReadCif(path, Bytes(bytes, length), document);
    if (!reading.Read()) {
      HandReading(reading, findings, message);
      return ZT7KIT_REFUSED;
    }
    Writer writer{write, context};
    std::vector<std::string> warnings;
    zt7::WriteCifJson(
        document, [&writer](std::string_view piece) { writer(piece); },
        [&warnings](const std::string& warning) { warnings.push_back("warning: " + warning); });
    HandReading(reading, findings, message, warnings);
    return writer.stopped ? Stopped(message) : ZT7KIT_OK;
  });
}

zt7kit_status zt7kit_format_cif(const char* path, const char* bytes, size_t length,
                                const char* output, zt7kit_write write, void* context,
                                char** findings, char** message) {
  kit::Clear({findings, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = NeedSource(path, bytes, message)) return s;
    if (output && *output == '\0') output = nullptr;  // an empty name names no file
    if (output == nullptr && write == nullptr) {
      kit::Hand(message, "no output file and no writer given (null pointers)");
      return ZT7KIT_REFUSED;
    }
    cif_dp::TCifDP document;
    const zt7::CifReading reading = zt7::ReadCif(path, Bytes(bytes, length), document);
    if (!reading.Read()) {
      HandReading(reading, findings, message);
      return ZT7KIT_REFUSED;
    }
    Writer writer{write, context};
    const zt7::Result<zt7::Done> formatted =
        FormatCif(document, reading, output ? output : "", std::ref(writer));
    HandReading(reading, findings, message,
                formatted.Ok() ? std::vector<std::string>{} : std::vector{formatted.Reason()});
    return kit::StatusOf(formatted.GetOutcome());
  });
}

zt7kit_status zt7kit_dyn_loop(const char* reflection_file, zt7kit_write write, void* context,
                              char** message) {
  kit::Clear({message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"reflection file", reflection_file},
                                                 {"writer", reinterpret_cast<void*>(write)}}))
      return s;
    // Each line is handed on as it is written: the loop is never held as text.
    Writer writer{write, context};
    std::string line;
    const zt7::Result<zt7::Done> loop =
        zt7::DynLoopLines(reflection_file, [&](const zodu::vexstr& text) {
          const zodu::vexcstr utf8 = zodu::PathToUtf8(text);
          line.assign(utf8.raw(), utf8.Length()) += '\n';
          writer(line);
        });
    if (loop.Ok() && writer.stopped) return Stopped(message);
    return kit::Answer(loop, message);
  });
}
