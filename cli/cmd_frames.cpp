// Subcommands for frames digests: sealing a folder of frames and checking a stored digest.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cli_support.h"
#include "sdl/bapp.h"
#include "sdl/istream.h"
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

// The module's log lines, as they are written, on standard error.
class StandardErrorStream : public zodu::IOutputStream {
 public:
  using IOutputStream::Write;
  void Write(const void* data, size_t count) override { std::fwrite(data, 1, count, stderr); }
  void Flush() override { std::fflush(stderr); }
  uint64_t Length() override { return 0; }
  uint64_t GetPosition() override { return 0; }
  void SetPosition(uint64_t) override {}
};

// With -v the module's log goes to standard error. The tool carries the module's code, so
// the log it reaches is the one the exports use.
void ShowLogWhenVerbose(const FramesArguments& arguments) {
  if (arguments.verbose && GetZTRunnable() != nullptr && zodu::TBasicApp::HasInstance())
    zodu::TBasicApp::GetInstance().GetLog().AddStream(new StandardErrorStream, true);
}

int RunDigestFrames(const FramesArguments& arguments) {
  ShowLogWhenVerbose(arguments);
  const std::u16string folder = WideText(arguments.folder), mask = WideText(arguments.mask);
  const std::string digest = pcDigestFrames(folder.c_str(), mask.c_str());
  if (digest.empty())
    return Refused(kDigestFrames,
                   "no digest for '" + arguments.folder +
                       "': not a folder, fewer than two files match the mask, or a frame "
                       "cannot be read (-v shows which)");
  PrintLine(digest);
  return kSuccess;
}

int RunCheckFrames(const FramesArguments& arguments) {
  ShowLogWhenVerbose(arguments);
  std::error_code error;
  if (!std::filesystem::is_directory(arguments.folder, error))
    return Refused(kCheckFrames, "no folder '" + arguments.folder + "'");
  const std::u16string folder = WideText(arguments.folder), mask = WideText(arguments.mask);
  return ReportCheck(iValidateFramesDigests(folder.c_str(), mask.c_str(), arguments.digest.First(),
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
  digestFrames.add_option("FOLDER", digest->folder)->required();
  digestFrames.add_option("MASK", digest->mask)->required();

  auto check = std::make_shared<FramesArguments>();
  CLI::App& checkFrames =
      tool.Add({kCheckFrames, "[-v] FOLDER MASK FIRST [SECOND]",
                "checks a stored frames digest (its two parts) against FOLDER",
                "  Prints 3 when both parts are valid, 1 when only the first is, 0 when it is\n"
                "  invalid. Exit status 0 for 3, or for 1 when SECOND was not given.\n"
                "  FIRST SECOND may also be given as one word, FIRST,SECOND."},
               [check] { return RunCheckFrames(*check); });
  checkFrames.add_flag("-v,--verbose", check->verbose);
  checkFrames.add_option("FOLDER", check->folder)->required();
  checkFrames.add_option("MASK", check->mask)->required();
  AddDigestParts(checkFrames, check->digest, 1);
}

}  // namespace zt7cli
