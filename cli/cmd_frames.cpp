// Subcommands for frames digests: sealing a folder of frames and checking a stored digest.
#include <memory>
#include <string>

#include "cli_support.h"
#include "module_log.h"
#include "tool.h"
#include "zt7util.h"

namespace zt7cli {
namespace {

constexpr char kDigestFrames[] = "digest-frames";
constexpr char kCheckFrames[] = "check-frames";

struct FramesArguments {
  std::string folder, mask;
  DigestParts digest;
  bool verbose = false;
};

int RunDigestFrames(const FramesArguments& arguments) {
  EchoModuleLog(arguments.verbose);
  const std::u16string folder = WideText(arguments.folder), mask = WideText(arguments.mask);
  const std::string digest = pcDigestFrames(folder.c_str(), mask.c_str());
  if (digest.empty())
    return Refused(kDigestFrames, arguments.folder, RefusalReason(LastModuleWord()));
  PrintLine(digest);
  NewLogEntries();  // shown with -v
  return kSuccess;
}

int RunCheckFrames(const FramesArguments& arguments) {
  EchoModuleLog(arguments.verbose);
  const std::u16string folder = WideText(arguments.folder), mask = WideText(arguments.mask);
  return ReportCheck(kCheckFrames, arguments.folder,
                     iValidateFramesDigests(folder.c_str(), mask.c_str(), arguments.digest.First(),
                                            arguments.digest.Second()),
                     arguments.digest.given > 1);
}

}  // namespace

void AddFramesCommands(Tool& tool) {
  auto digest = std::make_shared<FramesArguments>();
  CLI::App& digestFrames =
      tool.Add({kDigestFrames, "[-v] FOLDER MASK",
                "the frames digest of the files in FOLDER that match MASK",
                "  MASK holds patterns separated by ';' with '*' and '?', case ignored (e.g.\n"
                "  \"*.img;*.cbf\"). The digest is two parts joined by ','. -v shows the module's\n"
                "  log lines on standard error."},
               [digest] { return RunDigestFrames(*digest); });
  digestFrames.add_flag("-v,--verbose", digest->verbose);
  AddRequired(digestFrames, {{"FOLDER", &digest->folder}, {"MASK", &digest->mask}});

  auto check = std::make_shared<FramesArguments>();
  CLI::App& checkFrames =
      tool.Add({kCheckFrames, "[-v] FOLDER MASK FIRST [SECOND]",
                "checks a stored frames digest (its two parts) against FOLDER",
                "  Prints 3 when both parts are valid, 1 when only the first is, 0 when it is\n"
                "  invalid. Exit status 0 for 3, or for 1 when SECOND was not given.\n"
                "  FIRST SECOND may also be given as one word, FIRST,SECOND."},
               [check] { return RunCheckFrames(*check); });
  checkFrames.add_flag("-v,--verbose", check->verbose);
  AddRequired(checkFrames, {{"FOLDER", &check->folder}, {"MASK", &check->mask}});
  AddDigestParts(checkFrames, check->digest, 1);
}

}  // namespace zt7cli
