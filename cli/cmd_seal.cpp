// Subcommands for whole datasets: sealing a folder into a manifest and verifying folders.
#include "cmd_seal.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli_support.h"
#include "progress_line.h"
#include "tool.h"
#include "zt7kit.h"

namespace zt7cli {
namespace {

constexpr char kSeal[] = "seal";
constexpr char kVerify[] = "verify";

bool ShowProgress(const DatasetOptions& options) {
  return !options.quiet && isatty(STDERR_FILENO);
}

unsigned Flags(const DatasetOptions& options) {
  return options.quiet ? ZT7KIT_QUIET : 0;
}

void AddDatasetOptions(CLI::App& command, DatasetOptions& options) {
  command.add_option("-j,--jobs", options.jobs, "N")->check(CLI::Range(1u, 1024u));
  command.add_flag("-q,--quiet", options.quiet);
}

}  // namespace

int RunSeal(const SealArguments& arguments) {
  KitText json, summary, message;
  zt7kit_status status;
  {
    ProgressLine progress(kSeal, ShowProgress(arguments.options));
    status = zt7kit_seal(arguments.folder.c_str(), arguments.mask.c_str(), arguments.keyVersion,
                         Flags(arguments.options) | (arguments.force ? ZT7KIT_FORCE : 0),
                         arguments.options.jobs, progress.Callback(), progress.Context(),
                         json.Out(), summary.Out(), message.Out());
  }
  PrintLines(kSeal, message.Text());
  if (status != ZT7KIT_OK) return kRefused;
  PrintLine(summary.Text());
  return kSuccess;
}

int RunVerify(const VerifyArguments& arguments) {
  std::vector<const char*> folders;
  for (const std::string& folder : arguments.folders) folders.push_back(folder.c_str());
  KitText json, report, message;
  zt7kit_status status;
  {
    ProgressLine progress(kVerify, ShowProgress(arguments.options));
    status = zt7kit_verify(folders.data(), folders.size(), arguments.options.jobs,
                           Flags(arguments.options), progress.Callback(), progress.Context(),
                           json.Out(), report.Out(), message.Out());
  }
  PrintLines(kVerify, message.Text());
  std::fputs((arguments.json ? json : report).Text().c_str(), stdout);
  return status == ZT7KIT_OK ? kSuccess : kRefused;
}

void AddSealCommands(Tool& tool) {
  auto seal = std::make_shared<SealArguments>();
  CLI::App& sealCommand = tool.Add(
      {kSeal, "DIR [--frames MASK] [--key-version N] [--force] [-j N] [--quiet]",
       "seal a dataset folder: its digests in DIR/zt7util-seal.txt",
       "  Keeps the frames digest of each folder of frames (MASK, default *.img), the HKL\n"
       "  digest of each .hkl file, the DYN digest of each .cif_od file and the SHA-256 of\n"
       "  every file, one `KIND  DIGEST  PATH` line each. Changes no other file; refuses a\n"
       "  folder that has a manifest unless --force. Links, FIFOs and devices are skipped,\n"
       "  except a frame that is a link: its target, which the frames digest reads (LINK).\n"
       "  A file that changes while it is read, or cannot be read, is named and no manifest\n"
       "  is written."},
      [seal] { return RunSeal(*seal); });
  sealCommand.add_option("DIR", seal->folder)->required();
  sealCommand.add_option("--frames", seal->mask, "MASK");
  sealCommand.add_option("--key-version", seal->keyVersion, "N")->check(CLI::Range(1, 3));
  sealCommand.add_flag("--force", seal->force);
  AddDatasetOptions(sealCommand, seal->options);

  auto verify = std::make_shared<VerifyArguments>();
  CLI::App& verifyCommand = tool.Add(
      {kVerify, "DIR... [--json] [-j N] [--quiet]",
       "check sealed dataset folders against their manifests",
       "  Prints a line per file that is not OK (FAILED, MISSING, NEW, REFORMATTED: a\n"
       "  .cif_od file rewritten with its reflection loop intact, or ERROR: it could not be\n"
       "  checked) and a summary per folder. Exit 0 when every folder is intact, 1\n"
       "  otherwise. --json prints one report of every item. -j N checks on N threads\n"
       "  (default: the number of cores). Nothing is read through a symbolic link."},
      [verify] { return RunVerify(*verify); });
  verifyCommand.add_option("DIR", verify->folders)->required();
  verifyCommand.add_flag("--json", verify->json);
  AddDatasetOptions(verifyCommand, verify->options);
}

}  // namespace zt7cli
