// Subcommands for DYN digests of reflection files: sealing, checking one file or a list,
// and showing the loop text that a .cif_od digest covers.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "cli_support.h"
#include "sdl/efile.h"
#include "sdl/utf8_path.h"
#include "zt3util/dyn_loop.h"
#include "zt7util.h"

namespace zt7cli {

extern const Command kDigestDynCommand;
extern const Command kCheckDynCommand;
extern const Command kDynLoopCommand;

namespace {

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

int RunDigestDyn(const Arguments& arguments) {
  const std::u16string folder = WideText(arguments[0]), mask = WideText(arguments[1]),
                       file = WideText(arguments[4]);
  const std::string digest = pcDigestDYN(folder.c_str(), mask.c_str(), file.c_str(),
                                         arguments[2].c_str(), arguments[3].c_str());
  if (!digest.empty()) {
    PrintLine(digest);
    return kSuccess;
  }
  if (!IsRegularFile(arguments[4]))
    return Refused(kDigestDynCommand, "no reflection file '" + arguments[4] + "'");
  return Refused(kDigestDynCommand,
                 "no digest for '" + arguments[4] +
                     "': the frames digest (both parts) does not check out, or the .cif_od "
                     "file has no _refln loop of at least 100 rows with h, k, l, intensity "
                     "and sigma in its first block");
}

// "FILE: OK" or "FILE: FAILED"; true for OK.
bool CheckOne(const std::string& file, const std::string& digest) {
  const std::u16string wide = WideText(file);
  const bool valid = bValidateDYNDigest(wide.c_str(), digest.c_str());
  PrintLine(file + (valid ? ": OK" : ": FAILED"));
  return valid;
}

// Checks every "DIGEST  FILE" line of `list` (a file, or - for standard input).
int CheckList(const std::string& list) {
  std::ifstream file;
  if (list != "-") {
    if (IsRegularFile(list)) file.open(list, std::ios::binary);
    if (!file.is_open()) return Refused(kCheckDynCommand, "cannot read the list '" + list + "'");
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

int RunCheckDyn(const Arguments& arguments) {
  if (arguments[0] == "-c") {
    if (arguments.size() != 2)
      return UsageError(&kCheckDynCommand, "-c takes one LIST (a file, or - for standard input)");
    return CheckList(arguments[1]);
  }
  if (arguments.size() != 2)
    return UsageError(&kCheckDynCommand, std::string("expected ") + kCheckDynCommand.synopsis);
  if (!IsRegularFile(arguments[0]))
    return Refused(kCheckDynCommand, "no reflection file '" + arguments[0] + "'");
  return CheckOne(arguments[0], arguments[1]) ? kSuccess : kRefused;
}

int RunDynLoop(const Arguments& arguments) {
  if (!IsRegularFile(arguments[0]))
    return Refused(kDynLoopCommand, "no reflection file '" + arguments[0] + "'");
  // The CIF reader logs through the application context that the runtime object sets up.
  GetZTRunnable();
  zodu::TStrList lines;
  try {
    zodu::TEFile in(zodu::PathFromUtf8(arguments[0].data(), arguments[0].size()), u"rb");
    if (!zt3util::WriteReflectionLoop(in, lines))
      return Refused(kDynLoopCommand,
                     "no reflection loop in '" + arguments[0] +
                         "': the CIF text does not parse, or its first block has no _refln "
                         "loop of at least 100 rows with h, k, l, intensity and sigma");
  } catch (...) {
    return Refused(kDynLoopCommand, "cannot read '" + arguments[0] + "'");
  }
  for (const zodu::vexstr& line : lines) {
    const zodu::vexcstr utf8 = zodu::PathToUtf8(line);
    PrintLine(std::string(utf8.raw(), utf8.Length()));
  }
  return kSuccess;
}

}  // namespace

extern const Command kDigestDynCommand{
    "digest-dyn",
    "FRAMES_FOLDER MASK FIRST SECOND FILE",
    "seal a reflection file whose frames digest (FIRST, SECOND) still checks out",
    "  A FILE whose name ends in .cif_od is sealed by its _refln loop (the digest starts\n"
    "  \"62\"): comments, other items and blocks and the spacing of the loop may change.\n"
    "  Any other file is sealed whole (\"61\").",
    5,
    5,
    RunDigestDyn};

extern const Command kCheckDynCommand{
    "check-dyn",
    "FILE DIGEST | -c LIST",
    "check reflection files against their DYN digests",
    "  Prints 'FILE: OK' or 'FILE: FAILED'. With -c, LIST (a file, or - for standard\n"
    "  input) holds one 'DIGEST  FILE' line per file, as sha256sum -c reads them.\n"
    "  Exit 1 when any file failed.",
    2,
    2,
    RunCheckDyn};

extern const Command kDynLoopCommand{
    "dyn-loop",
    "FILE",
    "print the loop text that the DYN digest of a .cif_od file covers",
    "  One written line per output line: the _refln loop of the first block as the\n"
    "  digest lays it out. Exit 1 when the file has no qualifying loop.",
    1,
    1,
    RunDynLoop};

}  // namespace zt7cli
