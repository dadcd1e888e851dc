// Subcommands for frames digests: sealing a folder of frames and checking a stored digest.
#include <memory>
#include <string>

#include "cli_support.h"
#include "tool.h"
#include "zt7kit.h"

namespace zt7cli {
namespace {

constexpr char kDigestFrames[] = "digest-frames";
constexpr char kCheckFrames[] = "check-frames";

struct FramesArguments {
  std::string folder, mask;
  DigestParts digest;
};

int RunDigestFrames(const FramesArguments& arguments) {
  KitText digest, message;
  const zt7kit_status status = zt7kit_digest_frames(
      arguments.folder.c_str(), arguments.mask.c_str(), digest.Out(), message.Out());
  return ReportDigest(kDigestFrames, arguments.folder, status, digest, message);
}

int RunCheckFrames(const FramesArguments& arguments) {
  KitText message;
  int code = 0;
  const zt7kit_status status = zt7kit_check_frames(arguments.folder.c_str(), arguments.mask.c_str(),
                                                   arguments.digest.First(),
                                                   arguments.digest.Second(), &code, message.Out());
  return ReportCheck(kCheckFrames, arguments.folder, status, code, message);
}

}  // namespace

void AddFramesCommands(Tool& tool) {
  auto digest = std::make_shared<FramesArguments>();
  CLI::App& digestFrames = tool.Add(
      {kDigestFrames, "FOLDER MASK", "the frames digest of the files in FOLDER that match MASK",
       "  MASK holds patterns separated by ';' with '*' and '?', case ignored (e.g.\n"
       "  \"*.img;*.cbf\"). The digest is two parts joined by ','."},
      [digest] { return RunDigestFrames(*digest); });
  AddRequired(digestFrames, {{"FOLDER", &digest->folder}, {"MASK", &digest->mask}});

  auto check = std::make_shared<FramesArguments>();
  CLI::App& checkFrames =
      tool.Add({kCheckFrames, "FOLDER MASK FIRST [SECOND]",
                "checks a stored frames digest (its two parts) against FOLDER",
                "  Prints 3 when both parts are valid, 1 when only the first is, 0 when it is\n"
                "  invalid. Exit status 0 for 3, or for 1 when SECOND was not given.\n"
                "  FIRST SECOND may also be given as one word, FIRST,SECOND."},
               [check] { return RunCheckFrames(*check); });
  AddRequired(checkFrames, {{"FOLDER", &check->folder}, {"MASK", &check->mask}});
  AddDigestParts(checkFrames, check->digest, 1);
}

}  // namespace zt7cli
