// Subcommands for CIF files: does a file read, the document as CIF-JSON, and a file
// written back in the writer's layout.
#include <unistd.h>  // for access

#include <cerrno>
#include <cstdio>
#include <cstring>  // for strerror
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cif_compare.h"
#include "cif_context.h"
#include "cif_json.h"
#include "cli_support.h"
#include "file_replace.h"
#include "sdl/bapp.h"
#include "sdl/efile.h"
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

void PrintError(const std::string& path, const std::string& message) {
  std::fputs((path + ": " + message + "\n").c_str(), stderr);
}

// The module's log lines, kept so that each can be printed after the name of the file
// whose reading wrote it.
class LogCapture : public zodu::IOutputStream {
 public:
  using IOutputStream::Write;
  void Write(const void* data, size_t count) override {
    text_.append(static_cast<const char*>(data), count);
  }
  void Flush() override {}
  uint64_t Length() override { return 0; }
  uint64_t GetPosition() override { return 0; }
  void SetPosition(uint64_t) override {}

  // Prints every line kept so far after "`path`: " on standard error and forgets them.
  void Report(const std::string& path) {
    for (size_t start = 0; start < text_.size();) {
      size_t end = text_.find('\n', start);
      if (end == std::string::npos) end = text_.size();
      std::string line = text_.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) PrintError(path, line);
      start = end + 1;
    }
    text_.clear();
  }
  void Forget() { text_.clear(); }

 private:
  std::string text_;
};

// The reader's log lines, caught for the file being read.
LogCapture& ReaderLog() {
  static LogCapture* const capture = [] {
    auto* made = new LogCapture;
    CifReaderContext().GetLog().AddStream(made, true);
    return made;
  }();
  return *capture;
}

// Reads `stream` into `document`; gives why it could not, empty when it could.
std::string Load(TCifDP& document, zodu::IInputStream& stream) {
  try {
    document.LoadFromStream(stream);
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

// Reads the CIF file `path` into `document`. The reader's log lines and, when the file
// cannot be read, the reason go to standard error after the file's name.
bool ReadCif(const std::string& path, TCifDP& document) {
  LogCapture& log = ReaderLog();  // before reading, so that the reader has a log to write to
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  std::string problem;
  if (!std::filesystem::exists(status))
    problem = "no such file";
  else if (!std::filesystem::is_regular_file(status))
    problem = "not a regular file";
  else if (access(path.c_str(), R_OK) != 0)
    problem = std::strerror(errno);
  if (problem.empty()) {
    try {
      zodu::TEFile file(vexstr(WideText(path).c_str()), vexstr(u"rb"));
      problem = Load(document, file);
    } catch (const zodu::TBasicException& e) {
      problem = "cannot be opened: " + Utf8(e.GetReport());
    }
  }
  log.Report(path);
  if (problem.empty()) return true;
  PrintError(path, problem);
  return false;
}

int RunCheckCif(const std::vector<std::string>& paths) {
  int status = kSuccess;
  for (const std::string& path : paths) {
    TCifDP document;
    if (!ReadCif(path, document)) {
      status = kRefused;
      continue;
    }
    size_t blocks = 0, frames = 0, items = 0, loops = 0, rows = 0;
    for (size_t i = 0; i < document.Count(); ++i) {
      const cif_dp::CifBlock& block = document[i];
      ++(block.GetParent() ? frames : blocks);
      for (size_t j = 0; j < block.Count(); ++j) {
        const cif_dp::ICifEntry& entry = block.GetEntry(j);
        if (const auto* loop = dynamic_cast<const cif_dp::cetTable*>(&entry))
          ++loops, rows += loop->RowCount();
        else if (!dynamic_cast<const cif_dp::cetComment*>(&entry))
          ++items;
      }
    }
    PrintLine(path + ": CIF " + (document.GetVersion() == 2 ? "2.0" : "1.1") + ", blocks " +
              std::to_string(blocks) + ", save frames " + std::to_string(frames) + ", items " +
              std::to_string(items) + ", loops " + std::to_string(loops) + ", loop rows " +
              std::to_string(rows));
  }
  return status;
}

// Whether standard output took everything written to it; when not, says so for `path`.
bool FlushedOutput(const std::string& path) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  PrintError(path, std::string("cannot write to standard output: ") + std::strerror(errno));
  return false;
}

int RunCifJson(const std::string& path) {
  TCifDP document;
  if (!ReadCif(path, document)) return kRefused;
  WriteCifJson(
      document, [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); },
      [&path](const std::string& warning) { PrintError(path, "warning: " + warning); });
  return FlushedOutput(path) ? kSuccess : kRefused;
}

// Why the text read from `bytes` could not be written back byte for byte: the reader
// keeps UTF-8 of characters up to U+FFFF exactly and nothing else. Empty when it can.
std::string NotKeptExactly(const std::string& bytes) {
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0)
    return "it starts with a byte-order mark, which the reader takes as part of the first word";
  for (size_t i = 0; i < bytes.size();) {
    // Every well-formed four-byte sequence is a character beyond U+FFFF.
    const size_t n = zodu::Utf8SequenceLength(bytes.data() + i, bytes.size() - i);
    if (n == 0 || n == 4)
      return "byte " + std::to_string(i) +
             (n == 0 ? " is not UTF-8" : " starts a character beyond U+FFFF") +
             ", which the reader does not keep";
    i += n;
  }
  return "";
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
  if (!ReadCif(input, document)) return kRefused;
  std::string problem;
  {
    std::ifstream file(input, std::ios::binary);
    problem = NotKeptExactly(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
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
      PrintError(toOutput ? written.TemporaryPath() : arguments.output, written.Problem());
      return kRefused;
    }
    TCifDP reread;
    try {
      zodu::TEFile file(
          zodu::PathFromUtf8(written.TemporaryPath().data(), written.TemporaryPath().size()),
          vexstr(u"rb"));
      problem = Load(reread, file);
    } catch (const zodu::TBasicException& e) {
      problem = Utf8(e.GetReport());
    }
    ReaderLog().Forget();
    if (!problem.empty())
      problem = "the written text would not read back: " + problem;
    else if (std::string changed = FirstDifference(document, reread); !changed.empty())
      problem = "writing it back would change " + changed;
  }
  if (!problem.empty()) {
    PrintError(input, problem + "; nothing written");
    return kRefused;
  }
  if (!written.Problem().empty()) {
    PrintError(toOutput ? "standard output" : arguments.output, written.Problem());
    return kRefused;
  }
  if (toOutput)
    return CopyToOutput(written.TemporaryPath()) && FlushedOutput(input) ? kSuccess : kRefused;
  problem = written.Commit();
  if (problem.empty()) return kSuccess;
  PrintError(arguments.output, problem);
  return kRefused;
}

}  // namespace

void AddCifCommands(Tool& tool) {
  auto paths = std::make_shared<std::vector<std::string>>();
  tool.Add({kCheckCif, "FILE...", "reads CIF files and counts what each holds",
            "  Prints one line per file: the CIF version and the numbers of data blocks, save\n"
            "  frames, items, loops and loop rows. The reader's warnings (renamed blocks,\n"
            "  dropped empty loops) and the reason a file cannot be read go to standard error\n"
            "  after the file's name. Exit status 1 when any file could not be read."},
           [paths] { return RunCheckCif(*paths); })
      .add_option("FILE", *paths)
      ->required();

  auto path = std::make_shared<std::string>();
  tool.Add({kCifJson, "FILE", "the CIF document of FILE as CIF-JSON",
            "  The COMCIFS CIF-JSON draft: \"Metadata\" with the CIF version, then one object\n"
            "  per data block with its save frames under \"Frames\". Names are in lower case,\n"
            "  every value is an array of strings (lists as arrays, tables as objects), an\n"
            "  unquoted ? is null and an unquoted . is false."},
           [path] { return RunCifJson(*path); })
      .add_option("FILE", *path)
      ->required();

  auto format = std::make_shared<FormatArguments>();
  CLI::App& formatCif =
      tool.Add({kFormatCif, "FILE [-o OUT]", "FILE written back in the library's CIF layout",
                "  Reads FILE, writes the document out and reads that text again; when the two\n"
                "  readings differ, nothing is written and the first entry that would change is\n"
                "  named. The text goes to standard output, or to OUT, which is replaced only\n"
                "  once the new text is complete (OUT may name FILE)."},
               [format] { return RunFormatCif(*format); });
  formatCif.add_option("FILE", format->input)->required();
  formatCif.add_option("-o,--output", format->output, "OUT");
}

}  // namespace zt7cli
