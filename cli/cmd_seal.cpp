// Subcommands for whole datasets: sealing folders into manifests and verifying them.
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

void AddFolderOptions(CLI::App& command, FolderArguments& folders) {
  command.add_option("DIR", folders.folders);
  command.add_option("--from", folders.list, "LIST");
  command.add_option("--shard", folders.shard, "K/N");
}

// The selection that `arguments` name; a list on standard input is read into `list`.
// Returns the reason when standard input cannot be read, else "".
std::string Selection(const FolderArguments& arguments, std::vector<const char*>& names,
                      std::string& list, zt7kit_selection& selection) {
  for (const std::string& folder : arguments.folders) names.push_back(folder.c_str());
  selection =
      zt7kit_selection{names.data(), names.size(), nullptr, nullptr, 0, nullptr, nullptr, nullptr};
  if (!arguments.shard.empty()) selection.shard = arguments.shard.c_str();
  if (arguments.list == "-") {
    if (std::string why = ReadInput("-", list); !why.empty()) return why;
    selection.list_bytes = list.data();
    selection.list_length = list.size();
  } else if (!arguments.list.empty()) {
    selection.list = arguments.list.c_str();
  }
  return "";
}

}  // namespace

int RunSeal(const SealArguments& arguments) {
  std::vector<const char*> names;
  std::string list;
  zt7kit_selection selection;
  if (std::string why = Selection(arguments.folders, names, list, selection); !why.empty())
    return Refused(kSeal, "-", why);
  KitText json, summary, message;
  zt7kit_status status;
  {
    ProgressLine progress(kSeal, ShowProgress(arguments.options));
    status = zt7kit_seal_selection(&selection, arguments.mask.c_str(), arguments.keyVersion,
                                   Flags(arguments.options) | (arguments.force ? ZT7KIT_FORCE : 0),
                                   arguments.options.jobs, progress.Callback(), progress.Context(),
                                   json.Out(), summary.Out(), message.Out());
  }
  PrintLines(kSeal, message.Text());
  if (!summary.Empty()) PrintLine(summary.Text());
  return status == ZT7KIT_OK ? kSuccess : kRefused;
}

int RunVerify(const VerifyArguments& arguments) {
  std::vector<const char*> names;
  std::string list;
  zt7kit_selection selection;
  if (std::string why = Selection(arguments.folders, names, list, selection); !why.empty())
    return Refused(kVerify, "-", why);
  if (!arguments.expect.empty()) selection.expect = arguments.expect.c_str();
  if (!arguments.expectFrom.empty()) selection.expect_from = arguments.expectFrom.c_str();
  KitText json, report, message;
  zt7kit_status status;
  {
    ProgressLine progress(kVerify, ShowProgress(arguments.options));
    status = zt7kit_verify_selection(
        &selection, arguments.options.jobs,
        Flags(arguments.options) | (arguments.failuresOnly ? ZT7KIT_FAILURES_ONLY : 0),
        progress.Callback(), progress.Context(), json.Out(), report.Out(), message.Out());
  }
  PrintLines(kVerify, message.Text());
  if (status != ZT7KIT_OK && status != ZT7KIT_MISMATCH) return kRefused;
  const std::string text = (arguments.json ? json : report).Text();
  if (arguments.output.empty()) {
    std::fputs(text.c_str(), stdout);
  } else {
    KitText why;
    if (zt7kit_replace_file(arguments.output.c_str(), text.data(), text.size(), why.Out()) !=
        ZT7KIT_OK)
      return Refused(kVerify, arguments.output, why.Text());
  }
  return status == ZT7KIT_OK ? kSuccess : kRefused;
}

void AddSealCommands(Tool& tool) {
  auto seal = std::make_shared<SealArguments>();
  CLI::App& sealCommand = tool.Add(
      {kSeal,
       "[DIR...] [--from LIST] [--shard K/N] [--frames MASK] [--key-version N] [--force] [-j N] "
       "[--quiet]",
       "seal dataset folders: the digests of each in DIR/zt7util-seal.txt",
       "  Keeps the frames digest of each folder of frames (MASK, default *.img), the HKL\n"
       "  digest of each .hkl file, the DYN digest of each .cif_od file and the SHA-256 of\n"
       "  every file, one `KIND  DIGEST  PATH` line each, and last the SHA-256 of the lines\n"
       "  above. Prints, per folder sealed, a summary and `SHA256  FOLDER`: the manifest's\n"
       "  SHA-256 (as sha256sum gives it), to keep apart from the archive for verify\n"
       "  --expect-from. Changes no other file. One DIR that has a manifest is refused\n"
       "  unless --force; of several folders, or a LIST (one folder a line, - for standard\n"
       "  input), those that have one are skipped with a note. --shard K/N seals only the\n"
       "  folders that fall to shard K of N (as verify --shard). Links, FIFOs and devices\n"
       "  are skipped, except a frame that is a link: its target, which the frames digest\n"
       "  reads (LINK). A file that changes while it is read, or cannot be read, is named\n"
       "  and no manifest is written for its folder. Exit 0 when every folder was sealed or\n"
       "  skipped, 1 otherwise."},
      [seal] { return RunSeal(*seal); });
  AddFolderOptions(sealCommand, seal->folders);
  sealCommand.add_option("--frames", seal->mask, "MASK");
  sealCommand.add_option("--key-version", seal->keyVersion, "N")->check(CLI::Range(1, 3));
  sealCommand.add_flag("--force", seal->force);
  AddDatasetOptions(sealCommand, seal->options);

  auto verify = std::make_shared<VerifyArguments>();
  CLI::App& verifyCommand = tool.Add(
      {kVerify,
       "[DIR...] [--from LIST] [--shard K/N] [--json [--failures-only]] [-o FILE] "
       "[--expect SHA256 | --expect-from FILE] [-j N] [--quiet]",
       "check sealed dataset folders against their manifests",
       "  Prints a line per file that is not OK (FAILED, MISSING, NEW, MOVED: new with the\n"
       "  bytes of a missing file, REFORMATTED: a .cif_od file rewritten with its\n"
       "  reflection loop intact, or ERROR: it could not be checked) and a summary per\n"
       "  folder. A manifest edited since it was sealed is refused. Exit 0 when every\n"
       "  folder is intact, 1 otherwise. --from LIST adds the folders of LIST, one a line\n"
       "  (- for standard input; relative to the current folder; a folder named twice is\n"
       "  checked once). --shard K/N (K from 0 to N-1) checks only the folders whose\n"
       "  resolved path falls to shard K: the first 8 bytes of its SHA-256, big-endian,\n"
       "  modulo N, so a folder keeps its shard when the list changes. --json prints one\n"
       "  report of every item (--failures-only: of those that are not OK), which\n"
       "  merge-reports merges; -o FILE writes the report to FILE, whole or not at all.\n"
       "  --expect SHA256 (one folder) or --expect-from FILE (lines `SHA256  FOLDER`, as\n"
       "  seal prints them) refuses a manifest of another SHA-256. -j N checks on N\n"
       "  threads (default: the number of cores). Nothing is read through a symbolic link."},
      [verify] { return RunVerify(*verify); });
  AddFolderOptions(verifyCommand, verify->folders);
  verifyCommand.add_flag("--json", verify->json);
  verifyCommand.add_flag("--failures-only", verify->failuresOnly);
  verifyCommand.add_option("-o,--output", verify->output, "FILE");
  verifyCommand.add_option("--expect", verify->expect, "SHA256");
  verifyCommand.add_option("--expect-from", verify->expectFrom, "FILE");
  AddDatasetOptions(verifyCommand, verify->options);
}

}  // namespace zt7cli
