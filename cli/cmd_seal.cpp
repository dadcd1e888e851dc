// Subcommands for whole datasets: sealing a folder into a manifest and verifying folders.
#include "cmd_seal.h"

#include <sys/stat.h>
#include <time.h>  // for gmtime_r
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli_support.h"
#include "dataset.h"
#include "file_replace.h"
#include "manifest.h"
#include "module_log.h"
#include "parallel_work.h"
#include "seal_dataset.h"
#include "tool.h"
#include "verify_dataset.h"
#include "verify_report.h"
#include "zt7util.h"

namespace zt7cli {
namespace {

constexpr char kSeal[] = "seal";
constexpr char kVerify[] = "verify";

// The folder as given, without the slashes at its end, for joining names to it.
std::string FolderText(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string UtcNow() {
  const time_t now = time(nullptr);
  tm parts;
  gmtime_r(&now, &parts);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

// `note` begins with a path inside `folder`, shown escaped already.
void Note(const char* command, const std::string& folder, const std::string& note) {
  std::fprintf(stderr, "zt7util: %s: %s\n", command, JoinPath(Escaped(folder), note).c_str());
}

// Removes the temporary manifests that an interrupted seal left in `folder`.
void RemoveStaleManifests(const std::string& folder, bool quiet) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsTemporaryManifest(name) || !entry.is_regular_file(error)) continue;
    if (std::filesystem::remove(entry.path(), error) && !quiet)
      Note(kSeal, folder, Escaped(name) + ": removed, left by an interrupted seal");
  }
}

bool ShowProgress(const DatasetOptions& options) {
  return !options.quiet && isatty(STDERR_FILENO);
}

void AddDatasetOptions(CLI::App& command, DatasetOptions& options) {
  command.add_option("-j,--jobs", options.jobs, "N")->check(CLI::Range(1u, 1024u));
  command.add_flag("-q,--quiet", options.quiet);
}

}  // namespace

int RunSeal(const SealArguments& arguments) {
  const std::string folder = FolderText(arguments.folder);
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return Refused(kSeal, folder, "not a folder");
  const std::string manifest = JoinPath(folder, kManifestName);
  if (!arguments.force && lstat(manifest.c_str(), &st) == 0)
    return Refused(kSeal, manifest, "exists: the folder is sealed (--force seals it anew)");
  // Before any work: a read-only folder cannot take a manifest.
  if (access(folder.c_str(), W_OK) != 0)
    return Refused(kSeal, folder, std::string("cannot write in it: ") + std::strerror(errno));

  if (arguments.keyVersion != 0) SetKeyVersion(arguments.keyVersion);
  RemoveStaleManifests(folder, arguments.options.quiet);
  WorkCounters counters{kSeal, 1};
  const SealOutcome outcome = SealDataset(folder, arguments.mask, arguments.options.jobs, counters,
                                          ShowProgress(arguments.options));
  if (!arguments.options.quiet)
    for (const std::string& note : outcome.notes) Note(kSeal, folder, note);
  for (const std::string& warning : outcome.warnings) Refused(kSeal, folder, warning);
  for (const std::string& error : outcome.errors) Note(kSeal, folder, error);
  if (!outcome.errors.empty()) return Refused(kSeal, folder, "not sealed: no manifest written");
  std::string failure = ReplaceFile(
      manifest, FormatManifest(outcome.items, iGetKeyVersion(), UtcNow()), arguments.force);
  if (failure == std::strerror(EEXIST)) failure = "exists (--force replaces it)";
  if (!failure.empty()) return Refused(kSeal, manifest, failure);
  PrintLine(Escaped(folder) + ": sealed " + std::to_string(outcome.files) + " files (" +
            std::to_string(outcome.frameSets) + " frame sets, " + std::to_string(outcome.hklFiles) +
            " HKL files, " + std::to_string(outcome.reflectionFiles) + " reflection files) in " +
            Escaped(manifest));
  return kSuccess;
}

int RunVerify(const VerifyArguments& arguments) {
  std::vector<std::unique_ptr<DatasetVerification>> datasets;
  WorkCounters counters{kVerify, arguments.folders.size()};
  std::vector<std::pair<size_t, size_t>> pieces;  // dataset, piece
  for (const std::string& folder : arguments.folders) {
    datasets.push_back(std::make_unique<DatasetVerification>(FolderText(folder)));
    counters.bytes += datasets.back()->Bytes();
    for (size_t piece = 0; piece < datasets.back()->Pieces(); ++piece)
      pieces.emplace_back(datasets.size() - 1, piece);
  }
  std::vector<std::atomic<size_t>> left(datasets.size());
  for (size_t d = 0; d < datasets.size(); ++d) {
    left[d] = datasets[d]->Pieces();
    if (left[d] == 0) ++counters.datasetsDone;
  }
  RunInParallel(
      pieces.size(), arguments.options.jobs,
      [&](size_t i) {
        const auto [dataset, piece] = pieces[i];
        datasets[dataset]->CheckPiece(piece, counters.bytesDone);
        if (--left[dataset] == 0) ++counters.datasetsDone;
      },
      counters, ShowProgress(arguments.options));
  NewLogEntries();  // the calls on threads above: their entries cannot be told apart
  for (const auto& dataset : datasets) dataset->CheckDoubtfulPieces(counters.bytesDone);

  bool intact = true;
  std::vector<const DatasetCheck*> checks;
  for (const auto& dataset : datasets) {
    const DatasetCheck& check = dataset->Result();
    checks.push_back(&check);
    intact = intact && check.Intact();
    if (!check.error.empty()) Note(kVerify, "", check.error);
    if (!arguments.options.quiet)
      for (const std::string& note : check.notes) Note(kVerify, check.folder, note);
    if (!arguments.json) std::fputs(TextReport(check).c_str(), stdout);
  }
  if (arguments.json) std::fputs(JsonReport(checks).c_str(), stdout);
  return intact ? kSuccess : kRefused;
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
