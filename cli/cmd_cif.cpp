// Subcommands for CIF files: does a file read, the document as CIF-JSON, and a file
// written back in the writer's layout.
#include <cerrno>
#include <cstdio>
#include <cstring>  // for strerror
#include <memory>
#include <string>
#include <vector>

#include "cli_support.h"
#include "tool.h"
#include "zt7kit.h"

namespace zt7cli {
namespace {

constexpr char kCheckCif[] = "check-cif";
constexpr char kCifJson[] = "cif-json";
constexpr char kFormatCif[] = "format-cif";

// A CIF named on the command line: a file, or standard input for "-", read here.
struct CifSource {
  std::string path, bytes, why;  // why: standard input could not be read

  explicit CifSource(const std::string& given) : path(given) {
    if (path == "-") why = ReadInput(path, bytes);
  }
  const char* Path() const { return path == "-" ? nullptr : path.c_str(); }
};

// One error line of subcommand `name` about `path` per line of `lines`.
void PrintAbout(const char* name, const std::string& path, const std::string& lines) {
  for (size_t start = 0; start < lines.size();) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    PrintLines(name, "'" + path + "': " + lines.substr(start, end - start));
    start = end + 1;
  }
}

// The findings as the library wrote them, then its other lines about the file.
void PrintReading(const char* name, const std::string& path, const KitText& findings,
                  const KitText& message) {
  std::fputs(findings.Text().c_str(), stderr);
  PrintAbout(name, path, message.Text());
}

struct CheckArguments {
  std::vector<std::string> paths;
  bool json = false;
};

int RunCheckCif(const CheckArguments& arguments) {
  int status = kSuccess;
  for (const std::string& path : arguments.paths) {
    const CifSource source(path);
    if (!source.why.empty()) {
      PrintAbout(kCheckCif, path, source.why);
      status = kRefused;
      continue;
    }
    KitText json, summary, findings, message;
    const zt7kit_status checked =
        zt7kit_check_cif(source.Path(), source.bytes.data(), source.bytes.size(), json.Out(),
                         summary.Out(), findings.Out(), message.Out());
    if (checked != ZT7KIT_OK) status = kRefused;
    if (arguments.json) {
      PrintLine(json.Text());
      continue;
    }
    if (!summary.Empty()) PrintLine(summary.Text());
    PrintReading(kCheckCif, path, findings, message);
  }
  return status;
}

// Standard output, a piece at a time; non-zero once it fails.
int WriteOut(const char* bytes, size_t length, void*) {
  return std::fwrite(bytes, 1, length, stdout) == length ? 0 : 1;
}

// Whether standard output took everything written to it; when not, says so for `path`.
bool FlushedOutput(const char* name, const std::string& path) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  PrintAbout(name, path, std::string("cannot write to standard output: ") + std::strerror(errno));
  return false;
}

int RunCifJson(const std::string& path) {
  const CifSource source(path);
  if (!source.why.empty()) {
    PrintAbout(kCifJson, path, source.why);
    return kRefused;
  }
  KitText findings, message;
  const zt7kit_status status =
      zt7kit_cif_json(source.Path(), source.bytes.data(), source.bytes.size(), WriteOut, nullptr,
                      findings.Out(), message.Out());
  PrintReading(kCifJson, path, findings, message);
  if (status != ZT7KIT_OK) return kRefused;
  return FlushedOutput(kCifJson, path) ? kSuccess : kRefused;
}

struct FormatArguments {
  std::string input, output;  // no output: standard output
};

int RunFormatCif(const FormatArguments& arguments) {
  const CifSource source(arguments.input);
  if (!source.why.empty()) {
    PrintAbout(kFormatCif, arguments.input, source.why);
    return kRefused;
  }
  KitText findings, message;
  const bool toOutput = arguments.output.empty();
  const zt7kit_status status =
      zt7kit_format_cif(source.Path(), source.bytes.data(), source.bytes.size(),
                        toOutput ? nullptr : arguments.output.c_str(),
                        toOutput ? WriteOut : nullptr, nullptr, findings.Out(), message.Out());
  if (status == ZT7KIT_ERROR) {
    // The output could not be written: the library's lines name it.
    std::fputs(findings.Text().c_str(), stderr);
    PrintLines(kFormatCif, message.Text());
    return kRefused;
  }
  PrintReading(kFormatCif, arguments.input, findings, message);
  if (status != ZT7KIT_OK) return kRefused;
  return !toOutput || FlushedOutput(kFormatCif, arguments.input) ? kSuccess : kRefused;
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
