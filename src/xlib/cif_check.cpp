// Reading a CIF file for its users, and writing its document back when it reads back the same.
#include "xlib/cif_check.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <new>

#include "sdl/byte_view.h"
#include "sdl/efile.h"
#include "sdl/file_replace.h"
#include "sdl/json_text.h"
#include "sdl/regular_file.h"
#include "sdl/utf8_path.h"
#include "xlib/cif_compare.h"

namespace zt7 {
namespace {

using cif_dp::TCifDP;
using zodu::vexstr;

std::string Utf8(const vexstr& text) {
  const zodu::vexcstr bytes = zodu::PathToUtf8(text);
  return std::string(bytes.raw(), bytes.Length());
}

// Reads `stream` into `document`, or refuses with the reason.
Result<Done> Load(TCifDP& document, zodu::IInputStream& stream, cif_dp::CifFindings* findings) {
  const auto refused = [](std::string reason) {
    return Result<Done>(Outcome::kRefused, std::move(reason));
  };
  try {
    document.LoadFromStream(stream, findings);
    return Result<Done>(Done());
  } catch (const cif_dp::ParsingException& e) {
    return refused(Utf8(e.GetMessage()));
  } catch (const zodu::TBasicException& e) {
    return refused(Utf8(e.GetReport()));
  } catch (const std::bad_alloc&) {
    return refused("too large to read into memory");
  } catch (const std::exception& e) {
    return refused(e.what());
  }
}

// Load of the file at `path`, or of `bytes` when `path` is null.
Result<Done> LoadText(const char* path, std::string_view bytes, TCifDP& document,
                      CifReading& reading) {
  if (path == nullptr) {
    zodu::ByteView stream(bytes);
    return Load(document, stream, &reading);
  }
  if (const Result<Done> regular = RegularFile(path); !regular.Ok()) return regular;
  try {
    zodu::TEFile file(zodu::PathFromUtf8(path, std::strlen(path)), vexstr(u"rb"));
    return Load(document, file, &reading);
  } catch (const zodu::TBasicException& e) {
    return Result<Done>(Outcome::kRefused, "cannot be opened: " + Utf8(e.GetReport()));
  }
}

struct DocumentCounts {
  size_t blocks = 0, frames = 0, items = 0, loops = 0, rows = 0;
};

DocumentCounts Count(const TCifDP& document) {
  DocumentCounts n;
  for (size_t i = 0; i < document.Count(); ++i) {
    const cif_dp::CifBlock& block = document[i];
    ++(block.GetParent() ? n.frames : n.blocks);
    for (size_t j = 0; j < block.Count(); ++j) {
      const cif_dp::ICifEntry& entry = block.GetEntry(j);
      if (const auto* loop = entry.As<cif_dp::cetTable>())
        ++n.loops, n.rows += loop->RowCount();
      else if (entry.Kind() != cif_dp::EntryKind::kComment)
        ++n.items;
    }
  }
  return n;
}

const char* KindName(cif_dp::CifFinding::Kind kind) {
  static const char* const kNames[] = {"not-text",           "not-utf8",        "dropped-character",
                                       "byte-order-mark",    "no-data-heading", "unnamed-value",
                                       "replaced-name",      "dropped-comment", "empty-loop",
                                       "unclosed-quotation", "failure"};
  return kNames[kind];
}

std::string JsonText(const std::string& utf8) {
  std::string out;
  const vexstr wide = zodu::PathFromUtf8(utf8.data(), utf8.size());
  AppendJsonString(out, std::u16string_view(wide.raw(), wide.Length()));
  return out;
}

bool TellsFailure(const CifReading& reading) {
  return !reading.findings.empty() && reading.findings.back().kind == cif_dp::CifFinding::kFailure;
}

// Writes the document's CIF text as the writer lays it out, in UTF-8, with the magic line
// that keeps CIF 2.0 text CIF 2.0, a line at a time: the text is never held whole.
void WriteText(const TCifDP& document, PendingFile& file) {
  std::string piece;
  const auto line = [&](const vexstr& text) {
    const zodu::vexcstr bytes = zodu::PathToUtf8(text);
    piece.append(bytes.raw(), bytes.Length()) += '\n';
    if (piece.size() >= (1 << 16)) {
      file.Write(piece);
      piece.clear();
    }
  };
  if (document.GetVersion() == 2) line(vexstr(u"#\\#CIF_2.0"));
  document.SaveTo(line);
  file.Write(piece);
}

// Hands the file at `path` to `write`.
Result<Done> CopyOut(const std::string& path, const std::function<bool(std::string_view)>& write) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(1 << 16);
  while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0)
    if (!write(std::string_view(buffer.data(), size_t(in.gcount()))))
      return Result<Done>(Outcome::kError, "stopped by the caller");
  if (in.bad()) return Result<Done>(Outcome::kError, "cannot read the written text back");
  return Result<Done>(Done());
}

}  // namespace

void CifReading::Found(const cif_dp::CifFinding& finding) {
  lost |= finding.lost;
  if (findings.size() < kMostKept || finding.kind == cif_dp::CifFinding::kFailure)
    findings.push_back(finding);
  else
    ++unkept;
}

CifReading ReadCif(const char* path, std::string_view bytes, TCifDP& document) {
  CifReading reading;
  reading.name = path ? path : "-";
  const Result<Done> loaded = LoadText(path, bytes, document, reading);
  reading.error = loaded.Reason();
  // The reader's own reason, where the finding gave its place.
  if (!reading.Read() && TellsFailure(reading)) reading.error = reading.findings.back().message;
  return reading;
}

std::string FindingLines(const CifReading& reading) {
  std::string lines;
  for (const cif_dp::CifFinding& f : reading.findings)
    lines += reading.name + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " +
             f.message + "\n";
  return lines;
}

std::vector<std::string> ReadingNotes(const CifReading& reading) {
  std::vector<std::string> notes;
  if (reading.unkept) notes.push_back(std::to_string(reading.unkept) + " more findings not shown");
  notes.insert(notes.end(), reading.log.begin(), reading.log.end());
  if (!reading.Read() && !TellsFailure(reading)) notes.push_back(reading.error);
  return notes;
}

std::string ReadingSummary(const CifReading& reading, const TCifDP& document) {
  const DocumentCounts n = Count(document);
  return reading.name + ": CIF " + (document.GetVersion() == 2 ? "2.0" : "1.1") + ", blocks " +
         std::to_string(n.blocks) + ", save frames " + std::to_string(n.frames) + ", items " +
         std::to_string(n.items) + ", loops " + std::to_string(n.loops) + ", loop rows " +
         std::to_string(n.rows);
}

std::string CifCheckJson(const CifReading& reading, const TCifDP& document) {
  std::string out = "{\"file\": " + JsonText(reading.name) +
                    ", \"read\": " + (reading.Read() ? "true" : "false") +
                    ", \"lost\": " + (reading.lost ? "true" : "false");
  if (reading.Read()) {
    const DocumentCounts n = Count(document);
    out += std::string(", \"cif-version\": \"") + (document.GetVersion() == 2 ? "2.0" : "1.1") +
           "\", \"blocks\": " + std::to_string(n.blocks) +
           ", \"save-frames\": " + std::to_string(n.frames) +
           ", \"items\": " + std::to_string(n.items) + ", \"loops\": " + std::to_string(n.loops) +
           ", \"loop-rows\": " + std::to_string(n.rows);
  } else {
    out += ", \"error\": " + JsonText(reading.error);
  }
  out += ", \"findings\": [";
  for (size_t i = 0; i < reading.findings.size(); ++i) {
    const cif_dp::CifFinding& f = reading.findings[i];
    out += std::string(i ? ", " : "") + "{\"line\": " + std::to_string(f.line) +
           ", \"column\": " + std::to_string(f.column) + ", \"kind\": \"" + KindName(f.kind) +
           "\", \"lost\": " + (f.lost ? "true" : "false") +
           ", \"message\": " + JsonText(f.message) + "}";
  }
  out += "], \"findings-not-shown\": " + std::to_string(reading.unkept) + ", \"log\": [";
  for (size_t i = 0; i < reading.log.size(); ++i) out += (i ? ", " : "") + JsonText(reading.log[i]);
  return out + "]}";
}

Result<Done> FormatCif(TCifDP& document, const CifReading& reading, const std::string& output,
                       const std::function<bool(std::string_view)>& write) {
  const auto refused = [](const std::string& problem) {
    return Result<Done>(Outcome::kRefused, problem + "; nothing written");
  };
  if (reading.lost) {
    const auto lost = std::find_if(reading.findings.begin(), reading.findings.end(),
                                   [](const cif_dp::CifFinding& f) { return f.lost; });
    return refused("its document lacks what the file holds at line " + std::to_string(lost->line) +
                   ", column " + std::to_string(lost->column) + " (" + lost->message + ")");
  }
  // The text goes to a file beside OUT, or to a temporary one, and is read back from there
  // before it takes OUT's place or is handed out.
  const bool toWriter = output.empty();
  PendingFile written(
      toWriter ? (std::filesystem::temp_directory_path() / "zt7util-format.cif").string() : output);
  const auto failed = [&](const std::string& where) {
    return Result<Done>(Outcome::kError, "'" + where + "': " + written.Problem());
  };
  if (!written.Problem().empty()) return failed(toWriter ? written.TemporaryPath() : output);
  WriteText(document, written);
  if (!written.Problem().empty()) return failed(toWriter ? written.TemporaryPath() : output);
  // Only a summary of the document stays while the written text is read back.
  const CifSummary before = Summarize(document);
  document.Clear();
  TCifDP reread;
  Result<Done> readBack(Done{});
  CifReading rereading;  // only whether it reads back, and to what, is the user's concern
  try {
    zodu::TEFile file(
        zodu::PathFromUtf8(written.TemporaryPath().data(), written.TemporaryPath().size()),
        vexstr(u"rb"));
    readBack = Load(reread, file, &rereading);
  } catch (const zodu::TBasicException& e) {
    readBack = Result<Done>(Outcome::kRefused, Utf8(e.GetReport()));
  }
  if (!readBack.Ok()) return refused("the written text would not read back: " + readBack.Reason());
  if (std::string changed = FirstDifference(before, Summarize(reread)); !changed.empty())
    return refused("writing it back would change " + changed);
  if (toWriter) return CopyOut(written.TemporaryPath(), write);
  const Result<Done> committed = written.Commit();
  if (!committed.Ok())
    return Result<Done>(committed.GetOutcome(), "'" + output + "': " + committed.Reason());
  return committed;
}

}  // namespace zt7
