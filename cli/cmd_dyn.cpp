// Subcommands for DYN digests of reflection files: sealing, checking one file or a list,
// and showing the loop text that a .cif_od digest covers.
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "tool.h"
#include "zt7kit.h"

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
  KitText digest, message;
  const zt7kit_status status =
      zt7kit_digest_dyn(arguments.folder.c_str(), arguments.mask.c_str(), path.c_str(),
                        frames.First(), frames.Second(), digest.Out(), message.Out());
  return ReportDigest(kDigestDyn, path, status, digest, message);
}

// "FILE: OK", "FILE: FAILED" with the library's reason on standard error, or "FILE: could
// not be checked: REASON"; true for OK. Nothing but a regular file is read.
bool CheckOne(const std::string& file, const std::string& digest) {
  KitText message;
  const zt7kit_status status = zt7kit_check_dyn(file.c_str(), digest.c_str(), message.Out());
  if (status == ZT7KIT_OK) {
    PrintLine(Escaped(file) + ": OK");
    return true;
  }
  if (status == ZT7KIT_MISMATCH) {
    PrintLine(Escaped(file) + ": FAILED");
    Refused(kCheckDyn, file, message.Text());
  } else {
    PrintLine(Escaped(file) + ": could not be checked: " + Escaped(message.Text()));
  }
  return false;
}

// Checks every "DIGEST  FILE" line of `list` (a file, or - for standard input).
int CheckList(const std::string& list) {
  std::string text;
  if (std::string why = ReadInput(list, text); !why.empty()) return Refused(kCheckDyn, list, why);
  std::istringstream in(text);
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
  // Each line is printed as it is written: the loop is never held as text.
  const zt7kit_write print = [](const char* bytes, size_t length, void*) {
    return std::fwrite(bytes, 1, length, stdout) == length ? 0 : 1;
  };
  KitText message;
  if (zt7kit_dyn_loop(path.c_str(), print, nullptr, message.Out()) != ZT7KIT_OK)
    return Refused(kDynLoop, path, message.Text());
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
