// Subcommands for frames digests: sealing a folder of frames and checking a stored digest.
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli_support.h"
#include "sdl/bapp.h"
#include "sdl/istream.h"
#include "zt7util.h"

namespace zt7cli {

extern const Command kDigestFramesCommand;
extern const Command kCheckFramesCommand;

namespace {

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

// `given` without -v/--verbose; with the option, the module's log goes to standard error.
// The tool carries the module's code, so the log it reaches is the one the exports use.
Arguments TakeVerbose(const Arguments& given) {
  Arguments arguments;
  bool verbose = false;
  for (const std::string& argument : given) {
    if (argument == "-v" || argument == "--verbose")
      verbose = true;
    else
      arguments.push_back(argument);
  }
  if (verbose && GetZTRunnable() != nullptr && zodu::TBasicApp::HasInstance())
    zodu::TBasicApp::GetInstance().GetLog().AddStream(new StandardErrorStream, true);
  return arguments;
}

int RunDigestFrames(const Arguments& given) {
  Arguments arguments = TakeVerbose(given);
  if (arguments.size() != 2)
    return UsageError(&kDigestFramesCommand,
                      std::string("expected ") + kDigestFramesCommand.synopsis);
  const std::u16string folder = WideText(arguments[0]), mask = WideText(arguments[1]);
  const std::string digest = pcDigestFrames(folder.c_str(), mask.c_str());
  if (digest.empty())
    return Refused(kDigestFramesCommand,
                   "no digest for '" + arguments[0] +
                       "': not a folder, fewer than two files match the mask, or a frame "
                       "cannot be read (-v shows which)");
  PrintLine(digest);
  return kSuccess;
}

int RunCheckFrames(const Arguments& given) {
  Arguments arguments = TakeVerbose(given);
  if (arguments.size() < 3 || arguments.size() > 4)
    return UsageError(&kCheckFramesCommand,
                      std::string("expected ") + kCheckFramesCommand.synopsis);
  std::error_code error;
  if (!std::filesystem::is_directory(arguments[0], error))
    return Refused(kCheckFramesCommand, "no folder '" + arguments[0] + "'");
  const std::u16string folder = WideText(arguments[0]), mask = WideText(arguments[1]);
  const bool secondGiven = arguments.size() == 4;
  return ReportCheck(iValidateFramesDigests(folder.c_str(), mask.c_str(), arguments[2].c_str(),
                                            secondGiven ? arguments[3].c_str() : nullptr),
                     secondGiven);
}

}  // namespace

extern const Command kDigestFramesCommand{
    "digest-frames",
    "[-v] FOLDER MASK",
    "the frames digest of the files in FOLDER that match MASK",
    "  MASK holds patterns separated by ';' with '*' and '?', case ignored (e.g.\n"
    "  \"*.img;*.cbf\"). The digest is two parts joined by ','. -v shows the module's\n"
    "  log lines on standard error.",
    2,
    3,
    RunDigestFrames};

extern const Command kCheckFramesCommand{
    "check-frames",
    "[-v] FOLDER MASK FIRST [SECOND]",
    "checks a stored frames digest (its two parts) against FOLDER",
    "  Prints 3 when both parts are valid, 1 when only the first is, 0 when it is\n"
    "  invalid. Exit status 0 for 3, or for 1 when SECOND was not given.",
    3,
    5,
    RunCheckFrames};

}  // namespace zt7cli
