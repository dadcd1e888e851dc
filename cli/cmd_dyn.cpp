// Subcommands for DYN digests of reflection files: sealing, checking one file or a list,
// and showing the loop text that a .cif_od digest covers.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

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
  std::string folder, mask, file, digest, list;
  std::vector<std::string> words;  // FIRST SECOND FILE, or FIRST,SECOND FILE
};

int RunDigestDyn(const DynArguments& arguments) {
  const std::vector<std::string>& words = arguments.words;
  DigestParts frames(words.size() == 2 ? words[0] : words[0] + "," + words[1]);
  if (frames.given != 2 || frames.second.find(',') != std::string::npos)
    return UsageError(kDigestDyn, "expected FIRST SECOND FILE, or FIRST,SECOND FILE");
  const std::string& path = words.back();
  if (!AreRegularFiles(kDigestDyn, {path})) return kRefused;
  const std::u16string folder = WideText(arguments.folder), mask = WideText(arguments.mask),
                       file = WideText(path);
  const std::string digest =
      pcDigestDYN(folder.c_str(), mask.c_str(), file.c_str(), frames.First(), frames.Second());
  if (digest.empty()) return Refused(kDigestDyn, path, RefusalReason(LastModuleWord()));
  PrintLine(digest);
  return kSuccess;
}

// The library refuses a path under ten characters: a short relative name goes to it whole.
std::u16string AbsoluteWide(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return WideText(error ? path : absolute.string());
}

// "FILE: OK", "FILE: FAILED" with the module's reason on standard error, or "FILE: could
// not be checked: REASON"; true for OK. Nothing but a regular file is read.
bool CheckOne(const std::string& file, const std::string& digest) {
  ModuleWord word{true, WhyNotRegularFile(file)};
  if (word.reason.empty()) {
    const std::u16string wide = AbsoluteWide(file);
    if (bValidateDYNDigest(wide.c_str(), digest.c_str())) {
      PrintLine(Escaped(file) + ": OK");
      return true;
    }
    word = LastModuleWord();
  }
  if (word.error) {
    PrintLine(Escaped(file) + ": could not be checked: " + Escaped(ErrorReason(word)));
  } else {
    PrintLine(Escaped(file) + ": FAILED");
    Refused(kCheckDyn, file, word.reason);
  }
  return false;
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
      std::fprintf(stderr, "zt7util: check-dyn: %s:%zu: not a 'DIGEST  FILE' line\n",
                   Escaped(list).c_str(), number);
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
  return CheckOne(arguments.file, arguments.digest) ? kSuccess : kRefused;
}

int RunDynLoop(const std::string& path) {
  if (!AreRegularFiles(kDynLoop, {path})) return kRefused;
  CifReaderContext();  // the loop's reasons are logged through it
  // Each line is printed as it is written: the loop is never held as text.
  const auto print = [](const zodu::vexstr& line) {
    const zodu::vexcstr utf8 = zodu::PathToUtf8(line);
    std::fwrite(utf8.raw(), 1, utf8.Length(), stdout);
    std::fputc('\n', stdout);
  };
  try {
    zodu::TEFile in(zodu::PathFromUtf8(path.data(), path.size()), u"rb");
    if (!zt7::WriteReflectionLoop(in, print)) {
      const std::string reason = LastModuleWord().reason;
      return Refused(kDynLoop, path, reason.empty() ? "no reflection loop" : reason);
    }
  } catch (...) {
    return Refused(kDynLoop, path, "cannot be read");
  }
  return kSuccess;
}

}  // namespace

void AddDynCommands(Tool& tool) {
  auto digest = std::make_shared<DynArguments>();
  CLI::App& digestDyn = tool.Add(
      {kDigestDyn, "FRAMES_FOLDER MASK FIRST SECOND FILE (or FIRST,SECOND FILE)",
       "seal a reflection file whose frames digest (FIRST, SECOND) still checks out",
       "  A FILE whose name ends in .cif_od is sealed by its _refln loop (the digest starts\n"
       "  \"62\"): comments, other items and blocks and the spacing of the loop may change.\n"
       "  Any other file is sealed whole (\"61\")."},
      [digest] { return RunDigestDyn(*digest); });
  AddRequired(digestDyn, {{"FRAMES_FOLDER", &digest->folder}, {"MASK", &digest->mask}});
  digestDyn.add_option("FIRST SECOND FILE", digest->words)->expected(2, 3)->required();

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
