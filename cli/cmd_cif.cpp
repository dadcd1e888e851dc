// Subcommands for CIF files: does a file read, the document as CIF-JSON, and a file
// written back in the writer's layout.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cif_compare.h"
#include "cif_json.h"
#include "cli_support.h"
#include "file_replace.h"
#include "json_text.h"
#include "sdl/efile.h"
#include "sdl/memstream.h"
#include "sdl/utf8_path.h"
#include "tool.h"
#include "xlib/cifdp.h"

namespace zt7cli {
namespace {

constexpr char kCheckCif[] = "check-cif";
constexpr char kCifJson[] = "cif-json";
constexpr char kFormatCif[] = "format-cif";

using cif_dp::TCifDP;
using zodu::vexstr;

std::string Utf8(const vexstr& text) {
  const zodu::vexcstr bytes = zodu::PathToUtf8(text);
  return std::string(bytes.raw(), bytes.Length());
}

// One error line of subcommand `name` about `path`.
void PrintError(const char* name, const std::string& path, const std::string& message) {
  std::fputs(("zt7util: " + std::string(name) + ": '" + path + "': " + message + "\n").c_str(),
             stderr);
}

// What one reading of a CIF file found: the places where the document differs from the
// file, the reader's log lines, and why the file could not be read, if it could not.
struct CifReading : cif_dp::CifFindings {
  // A hostile file may hold millions of findings; the first ones tell enough.
  static constexpr size_t kMostKept = 1000;

  void Found(const cif_dp::CifFinding& finding) override {
    lost |= finding.lost;
    if (findings.size() < kMostKept || finding.kind == cif_dp::CifFinding::kFailure)
      findings.push_back(finding);
    else
      ++unkept;
  }
  void Logged(const std::string& line) override { log.push_back(line); }
  bool Read() const { return error.empty(); }
  bool TellsFailure() const {
    return !findings.empty() && findings.back().kind == cif_dp::CifFinding::kFailure;
  }

  std::vector<cif_dp::CifFinding> findings;
  size_t unkept = 0;
  bool lost = false;  // something of the file did not reach the document
  std::vector<std::string> log;
  std::string error;  // "" when the document was read
};

// Reads `stream` into `document`; gives why it could not, empty when it could.
std::string Load(TCifDP& document, zodu::IInputStream& stream, cif_dp::CifFindings* findings) {
  try {
    document.LoadFromStream(stream, findings);
    return "";
  } catch (const cif_dp::ParsingException& e) {
    return Utf8(e.GetMessage());
  } catch (const zodu::TBasicException& e) {
    return Utf8(e.GetReport());
  } catch (const std::bad_alloc&) {
    return "too large to read into memory";
  } catch (const std::exception& e) {
    return e.what();
  }
}

// Reads `path` (standard input for "-") into `document`; why it could not, or "".
std::string ReadCifFile(const std::string& path, TCifDP& document, CifReading& reading) {
  if (path == "-") {
    std::string bytes;
    if (std::string why = ReadText(path, bytes); !why.empty()) return why;
    zodu::TEMemoryStream stream(std::max<size_t>(bytes.size(), 1));
    stream.Write(bytes.data(), bytes.size());
    bytes = std::string();
    stream.SetPosition(0);
    return Load(document, stream, &reading);
  }
  if (std::string why = WhyNotRegularFile(path); !why.empty()) return why;
  try {
    zodu::TEFile file(vexstr(WideText(path).c_str()), vexstr(u"rb"));
    return Load(document, file, &reading);
  } catch (const zodu::TBasicException& e) {
    return "cannot be opened: " + Utf8(e.GetReport());
  }
}

// Reads the CIF file `path` ("-": standard input) into `document`.
CifReading ReadCif(const std::string& path, TCifDP& document) {
  CifReading reading;
  reading.error = ReadCifFile(path, document, reading);
  // The reader's own reason, where the finding gave its place.
  if (!reading.Read() && reading.TellsFailure()) reading.error = reading.findings.back().message;
  return reading;
}

// The reading's findings as FILE:LINE:COLUMN: message, then its log lines and the reason
// it failed (unless a finding gave it) as error lines of subcommand `name`.
void PrintReading(const char* name, const std::string& path, const CifReading& reading) {
  for (const cif_dp::CifFinding& f : reading.findings)
    std::fputs((path + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " +
                f.message + "\n")
                   .c_str(),
               stderr);
  if (reading.unkept)
    PrintError(name, path, std::to_string(reading.unkept) + " more findings not shown");
  for (const std::string& line : reading.log) PrintError(name, path, line);
  if (!reading.Read() && !reading.TellsFailure()) PrintError(name, path, reading.error);
}

// Reads and prints as PrintReading does; false when the file could not be read.
bool ReadCif(const char* name, const std::string& path, TCifDP& document) {
  const CifReading reading = ReadCif(path, document);
  PrintReading(name, path, reading);
  return reading.Read();
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
  AppendJsonString(out, WideText(utf8));
  return out;
}

// One file's summary and findings as one line of JSON.
std::string JsonReport(const std::string& path, const TCifDP& document, const CifReading& reading) {
  std::string out = "{\"file\": " + JsonText(path) +
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

struct CheckArguments {
  std::vector<std::string> paths;
  bool json = false;
};

int RunCheckCif(const CheckArguments& arguments) {
  int status = kSuccess;
  for (const std::string& path : arguments.paths) {
    TCifDP document;
    const CifReading reading = ReadCif(path, document);
    if (!reading.Read() || reading.lost) status = kRefused;
    if (arguments.json) {
      PrintLine(JsonReport(path, document, reading));
      continue;
    }
    if (reading.Read()) {
      const DocumentCounts n = Count(document);
      PrintLine(path + ": CIF " + (document.GetVersion() == 2 ? "2.0" : "1.1") + ", blocks " +
                std::to_string(n.blocks) + ", save frames " + std::to_string(n.frames) +
                ", items " + std::to_string(n.items) + ", loops " + std::to_string(n.loops) +
                ", loop rows " + std::to_string(n.rows));
    }
    PrintReading(kCheckCif, path, reading);
  }
  return status;
}

// Whether standard output took everything written to it; when not, says so for `path`.
bool FlushedOutput(const char* name, const std::string& path) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  PrintError(name, path, std::string("cannot write to standard output: ") + std::strerror(errno));
  return false;
}

int RunCifJson(const std::string& path) {
  TCifDP document;
  if (!ReadCif(kCifJson, path, document)) return kRefused;
  WriteCifJson(
      document, [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); },
      [&path](const std::string& warning) { PrintError(kCifJson, path, "warning: " + warning); });
  return FlushedOutput(kCifJson, path) ? kSuccess : kRefused;
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

// Copies the file at `path` to standard output.
bool CopyToOutput(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(1 << 16);
  while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0)
    std::fwrite(buffer.data(), 1, size_t(in.gcount()), stdout);
  return !in.bad();
}

struct FormatArguments {
  std::string input, output;  // no output: standard output
};

int RunFormatCif(const FormatArguments& arguments) {
  const std::string& input = arguments.input;
  TCifDP document;
  const CifReading reading = ReadCif(input, document);
  PrintReading(kFormatCif, input, reading);
  if (!reading.Read()) return kRefused;
  std::string problem;
  if (reading.lost) {
    const auto lost = std::find_if(reading.findings.begin(), reading.findings.end(),
                                   [](const cif_dp::CifFinding& f) { return f.lost; });
    problem = "its document lacks what the file holds at line " + std::to_string(lost->line) +
              ", column " + std::to_string(lost->column) + " (" + lost->message + ")";
  }
  // The text goes to a file beside OUT, or to a temporary one for standard output, and is
  // read back from there before it takes OUT's place or is copied out.
  const bool toOutput = arguments.output.empty();
  PendingFile written(toOutput
                          ? (std::filesystem::temp_directory_path() / "zt7util-format.cif").string()
                          : arguments.output);
  if (problem.empty() && written.Problem().empty()) {
    WriteText(document, written);
    if (!written.Problem().empty()) {
      PrintError(kFormatCif, toOutput ? written.TemporaryPath() : arguments.output,
                 written.Problem());
      return kRefused;
    }
    // Only a summary of the document stays while the written text is read back.
    const CifSummary before = Summarize(document);
    document.Clear();
    TCifDP reread;
    CifReading rereading;  // only whether it reads back, and to what, is the user's concern
    try {
      zodu::TEFile file(
          zodu::PathFromUtf8(written.TemporaryPath().data(), written.TemporaryPath().size()),
          vexstr(u"rb"));
      problem = Load(reread, file, &rereading);
    } catch (const zodu::TBasicException& e) {
      problem = Utf8(e.GetReport());
    }
    if (!problem.empty())
      problem = "the written text would not read back: " + problem;
    else if (std::string changed = FirstDifference(before, Summarize(reread)); !changed.empty())
      problem = "writing it back would change " + changed;
  }
  if (!problem.empty()) {
    PrintError(kFormatCif, input, problem + "; nothing written");
    return kRefused;
  }
  if (!written.Problem().empty()) {
    PrintError(kFormatCif, toOutput ? "-" : arguments.output, written.Problem());
    return kRefused;
  }
  if (toOutput)
    return CopyToOutput(written.TemporaryPath()) && FlushedOutput(kFormatCif, input) ? kSuccess
                                                                                     : kRefused;
  problem = written.Commit();
  if (problem.empty()) return kSuccess;
  PrintError(kFormatCif, arguments.output, problem);
  return kRefused;
}

}  // namespace

void AddCifCommands(Tool& tool) {
  auto check = std::make_shared<CheckArguments>();
  CLI::App& checkCif = tool.Add(
      {kCheckCif, "[--json] FILE...", "reads CIF files, counts what each holds, names what is lost",
       "  Prints one line per file: the CIF version and the numbers of data blocks, save\n"
       "  frames, items, loops and loop rows. Every place where the document differs from the\n"
       "  file (a value without a name, a name given twice, a character not kept, a file that\n"
       "  is not text or has no data_ heading, the place where reading stopped) is one line\n"
       "  FILE:LINE:COLUMN: message on standard error; so is a file that is not UTF-8, read as\n"
       "  ISO 8859-1. The reader's warnings follow. FILE - is standard input. --json prints\n"
       "  one JSON object per file instead. Exit status 1 when any file could not be read or\n"
       "  lost anything on the way to its document."},
      [check] { return RunCheckCif(*check); });
  checkCif.add_option("FILE", check->paths)->required();
  checkCif.add_flag("--json", check->json, "one JSON object per file");

  auto path = std::make_shared<std::string>();
  tool.Add({kCifJson, "FILE", "the CIF document of FILE as CIF-JSON",
            "  The COMCIFS CIF-JSON draft: \"Metadata\" with the CIF version, then one object\n"
            "  per data block with its save frames under \"Frames\". Names are in lower case,\n"
            "  every value is an array of strings (lists as arrays, tables as objects), an\n"
            "  unquoted ? is null and an unquoted . is false. A name given twice in a block\n"
            "  is written once, the later entry, which the block's lookups find; a warning\n"
            "  names the one it hides."},
           [path] { return RunCifJson(*path); })
      .add_option("FILE", *path)
      ->required();

  auto format = std::make_shared<FormatArguments>();
  CLI::App& formatCif =
      tool.Add({kFormatCif, "FILE [-o OUT]", "FILE written back in the library's CIF layout",
                "  Reads FILE, writes the document out and reads that text again; when a value,\n"
                "  a name, a loop, the blocks and save frames or a non-empty comment would read\n"
                "  back otherwise, or the reading of FILE lost anything, nothing is written and\n"
                "  the first such place is named. Spacing may change, empty comments go. The\n"
                "  text goes to standard output, or to OUT, which is replaced only once the new\n"
                "  text is complete (OUT may name FILE)."},
               [format] { return RunFormatCif(*format); });
  formatCif.add_option("FILE", format->input)->required();
  formatCif.add_option("-o,--output", format->output, "OUT");
}

}  // namespace zt7cli
