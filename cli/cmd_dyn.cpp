// Subcommands for DYN digests of reflection files: sealing, checking one file or a list,
// and showing the loop text that a .cif_od digest covers.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "cif_context.h"
#include "cli_support.h"
#include "sdl/efile.h"
#include "sdl/utf8_path.h"
#include "tool.h"
#include "zt3util/dyn_loop.h"
#include "zt7util.h"

namespace zt7cli {
namespace {

constexpr char kDigestDyn[] = "digest-dyn";
constexpr char kCheckDyn[] = "check-dyn";
constexpr char kDynLoop[] = "dyn-loop";

struct DynArguments {
  std::string folder, mask, first, second, file, digest, list;
};

int RunDigestDyn(const DynArguments& arguments) {
  if (!AreRegularFiles(kDigestDyn, {arguments.file})) return kRefused;
  const std::u16string folder = WideText(arguments.folder), mask = WideText(arguments.mask),
                       file = WideText(arguments.file);
  const std::string digest = pcDigestDYN(folder.c_str(), mask.c_str(), file.c_str(),
                                         arguments.first.c_str(), arguments.second.c_str());
  if (!digest.empty()) {
    PrintLine(digest);
    return kSuccess;
  }
  return Refused(kDigestDyn, arguments.file,
                 ModuleReason("the frames digest does not check out in both parts"));
}

// The library refuses a path under ten characters: a short relative name goes to it whole.
std::u16string AbsoluteWide(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return WideText(error ? path : absolute.string());
}

// "FILE: OK" or "FILE: FAILED"; true for OK. Nothing but a regular file is read.
bool CheckOne(const std::string& file, const std::string& digest) {
  const std::u16string wide = AbsoluteWide(file);
  const bool valid =
      WhyNotRegularFile(file).empty() && bValidateDYNDigest(wide.c_str(), digest.c_str());
  PrintLine(file + (valid ? ": OK" : ": FAILED"));
  return valid;
}

// Checks every "DIGEST  FILE" line of `list` (a file, or - for standard input).
int CheckList(const std::string& list) {
  std::ifstream file;
  if (list != "-") {
    const std::string why = WhyNotRegularFile(list);
    if (why.empty()) file.open(list, std::ios::binary);
    if (!file.is_open()) return Refused(kCheckDyn, list, why.empty() ? "cannot be read" : why);
  }
  std::istream& in = list == "-" ? std::cin : file;
  size_t lines = 0, failed = 0;
  std::string line;
  for (size_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    ++lines;
    // Two characters part the digest from the name: two blanks, or a blank and "*".
    const size_t blank = line.find(' ');
    if (blank == std::string::npos || blank + 2 >= line.size() ||
        (line[blank + 1] != ' ' && line[blank + 1] != '*')) {
      std::fprintf(stderr, "zt7util: check-dyn: %s:%zu: not a 'DIGEST  FILE' line\n", list.c_str(),
                   number);
      ++failed;
    } else if (!CheckOne(line.substr(blank + 2), line.substr(0, blank))) {
      ++failed;
    }
  }
  if (failed == 0) return kSuccess;
  std::fprintf(stderr, "zt7util: check-dyn: %zu of %zu lines did NOT check out\n", failed, lines);
  return kRefused;
}

int RunCheckDyn(const DynArguments& arguments) {
  const bool hasFile = !arguments.file.empty();
  if (!arguments.list.empty())
    return hasFile ? UsageError(kCheckDyn, "give either FILE DIGEST or -c LIST")
                   : CheckList(arguments.list);
  if (!hasFile || arguments.digest.empty())
    return UsageError(kCheckDyn, "expected FILE DIGEST, or -c LIST");
  if (!AreRegularFiles(kCheckDyn, {arguments.file})) return kRefused;
  if (CheckOne(arguments.file, arguments.digest)) return kSuccess;
  return Refused(kCheckDyn, arguments.file, ModuleReason("the digest does not match"));
}

int RunDynLoop(const std::string& path) {
  if (!AreRegularFiles(kDynLoop, {path})) return kRefused;
  CifReaderContext();  // the CIF reader logs through it
  // Each line is printed as it is written: the loop is never held as text.
  const auto print = [](const zodu::vexstr& line) {
    const zodu::vexcstr utf8 = zodu::PathToUtf8(line);
    std::fwrite(utf8.raw(), 1, utf8.Length(), stdout);
    std::fputc('\n', stdout);
  };
  try {
    zodu::TEFile in(zodu::PathFromUtf8(path.data(), path.size()), u"rb");
    if (!zt7::WriteReflectionLoop(in, print))
      return Refused(kDynLoop, path, ModuleReason("no reflection loop"));
  } catch (...) {
    return Refused(kDynLoop, path, "cannot be read");
  }
  return kSuccess;
}

}  // namespace

void AddDynCommands(Tool& tool) {
  auto digest = std::make_shared<DynArguments>();
  CLI::App& digestDyn = tool.Add(
      {kDigestDyn, "FRAMES_FOLDER MASK FIRST SECOND FILE",
       "seal a reflection file whose frames digest (FIRST, SECOND) still checks out",
       "  A FILE whose name ends in .cif_od is sealed by its _refln loop (the digest starts\n"
       "  \"62\"): comments, other items and blocks and the spacing of the loop may change.\n"
       "  Any other file is sealed whole (\"61\")."},
      [digest] { return RunDigestDyn(*digest); });
  AddRequired(digestDyn, {{"FRAMES_FOLDER", &digest->folder},
                          {"MASK", &digest->mask},
                          {"FIRST", &digest->first},
                          {"SECOND", &digest->second},
                          {"FILE", &digest->file}});

  auto check = std::make_shared<DynArguments>();
  CLI::App& checkDyn = tool.Add(
      {kCheckDyn, "FILE DIGEST | -c LIST", "check reflection files against their DYN digests",
       "  Prints 'FILE: OK' or 'FILE: FAILED'. With -c, LIST (a file, or - for standard\n"
       "  input) holds one 'DIGEST  FILE' line per file, as sha256sum -c reads them.\n"
       "  Exit 1 when any file failed."},
      [check] { return RunCheckDyn(*check); });
  checkDyn.add_option("-c,--check", check->list, "LIST");
  checkDyn.add_option("FILE", check->file);
  checkDyn.add_option("DIGEST", check->digest);

  auto loop = std::make_shared<std::string>();
  tool.Add({kDynLoop, "FILE", "print the loop text that the DYN digest of a .cif_od file covers",
            "  One written line per output line: the _refln loop of the first block as the\n"
            "  digest lays it out. Exit 1 when the file has no qualifying loop."},
           [loop] { return RunDynLoop(*loop); })
      .add_option("FILE", *loop)
      ->required();
}

}  // namespace zt7cli
