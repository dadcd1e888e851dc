// Subcommands for whole datasets: sealing a folder into a manifest and verifying folders.
#include <sys/stat.h>
#include <time.h>  // for gmtime_r
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli_support.h"
#include "dataset.h"
#include "manifest.h"
#include "parallel_work.h"
#include "seal_dataset.h"
#include "verify_dataset.h"
#include "verify_report.h"
#include "zt7util.h"

namespace zt7cli {

extern const Command kSealCommand;
extern const Command kVerifyCommand;

namespace {

struct CommonOptions {
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  bool quiet = false;

  void AddTo(CLI::App& app) {
    app.add_option("-j,--jobs", jobs)->check(CLI::Range(1u, 1024u));
    app.add_flag("-q,--quiet", quiet);
  }
  bool ShowProgress() const { return !quiet && isatty(STDERR_FILENO); }
};

// Parses `arguments` into `app`; false after a usage error line.
bool Parse(CLI::App& app, const Command& command, const Arguments& arguments, int& status) {
  try {
    app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
    return true;
  } catch (const CLI::ParseError& error) {
    status = UsageError(&command, error.what());
    return false;
  }
}

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

void Note(const Command& command, const std::string& folder, const std::string& note) {
  std::fprintf(stderr, "zt7util: %s: %s\n", command.name, JoinPath(folder, note).c_str());
}

int RunSeal(const Arguments& arguments) {
  CLI::App app;
  std::string folder, mask = "*.img";
  int keyVersion = iGetKeyVersion();
  bool force = false;
  CommonOptions common;
  app.add_option("DIR", folder)->required();
  app.add_option("--frames", mask);
  app.add_option("--key-version", keyVersion);
  app.add_flag("--force", force);
  common.AddTo(app);
  int status = kSuccess;
  if (!Parse(app, kSealCommand, arguments, status)) return status;

  folder = FolderText(folder);
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return Refused(kSealCommand, "no folder '" + folder + "'");
  const std::string manifest = JoinPath(folder, kManifestName);
  if (!force && lstat(manifest.c_str(), &st) == 0)
    return Refused(kSealCommand,
                   "'" + manifest + "' exists: the folder is sealed (--force seals it anew)");
  // Before any work: a read-only folder cannot take a manifest.
  if (access(folder.c_str(), W_OK) != 0)
    return Refused(kSealCommand, "cannot write in '" + folder + "': " + std::strerror(errno));

  SetKeyVersion(keyVersion);
  WorkCounters counters{"seal", 1};
  const SealOutcome outcome =
      SealDataset(folder, mask, common.jobs, counters, common.ShowProgress());
  if (!common.quiet)
    for (const std::string& note : outcome.notes) Note(kSealCommand, folder, note);
  for (const std::string& error : outcome.errors) Note(kSealCommand, folder, error);
  if (!outcome.errors.empty())
    return Refused(kSealCommand, "'" + folder + "' not sealed: no manifest written");
  const std::string failure =
      WriteManifest(manifest, FormatManifest(outcome.items, keyVersion, UtcNow()), force);
  if (!failure.empty()) return Refused(kSealCommand, failure);
  PrintLine(folder + ": sealed " + std::to_string(outcome.files) + " files (" +
            std::to_string(outcome.frameSets) + " frame sets, " + std::to_string(outcome.hklFiles) +
            " HKL files, " + std::to_string(outcome.reflectionFiles) + " reflection files) in " +
            manifest);
  return kSuccess;
}

int RunVerify(const Arguments& arguments) {
  CLI::App app;
  std::vector<std::string> folders;
  bool json = false;
  CommonOptions common;
  app.add_option("DIR", folders)->required();
  app.add_flag("--json", json);
  common.AddTo(app);
  int status = kSuccess;
  if (!Parse(app, kVerifyCommand, arguments, status)) return status;

  std::vector<std::unique_ptr<DatasetVerification>> datasets;
  WorkCounters counters{"verify", folders.size()};
  std::vector<std::pair<size_t, size_t>> pieces;  // dataset, piece
  for (const std::string& folder : folders) {
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
      pieces.size(), common.jobs,
      [&](size_t i) {
        const auto [dataset, piece] = pieces[i];
        datasets[dataset]->CheckPiece(piece, counters.bytesDone);
        if (--left[dataset] == 0) ++counters.datasetsDone;
      },
      counters, common.ShowProgress());

  bool intact = true;
  std::vector<const DatasetCheck*> checks;
  for (const auto& dataset : datasets) {
    const DatasetCheck& check = dataset->Result();
    checks.push_back(&check);
    intact = intact && check.Intact();
    if (!check.error.empty()) Note(kVerifyCommand, "", check.error);
    if (!common.quiet)
      for (const std::string& note : check.notes) Note(kVerifyCommand, check.folder, note);
    if (!json) std::fputs(TextReport(check).c_str(), stdout);
  }
  if (json) std::fputs(JsonReport(checks).c_str(), stdout);
  return intact ? kSuccess : kRefused;
}

}  // namespace

extern const Command kSealCommand{
    "seal",
    "DIR [--frames MASK] [--key-version N] [--force] [-j N] [--quiet]",
    "seal a dataset folder: its digests in DIR/zt7util-seal.txt",
    "  Keeps the frames digest of each folder of frames (MASK, default *.img), the HKL\n"
    "  digest of each .hkl file, the DYN digest of each .cif_od file and the SHA-256 of\n"
    "  every file, one `KIND  DIGEST  PATH` line each. Changes no other file; refuses a\n"
    "  folder that has a manifest unless --force. Links, FIFOs and devices are skipped.",
    1,
    64,
    RunSeal};

extern const Command kVerifyCommand{
    "verify",
    "DIR... [--json] [-j N] [--quiet]",
    "check sealed dataset folders against their manifests",
    "  Prints a line per file that is not OK (FAILED, MISSING, NEW, or REFORMATTED: a\n"
    "  .cif_od file rewritten with its reflection loop intact) and a summary per folder.\n"
    "  Exit 0 when every folder is intact, 1 otherwise. --json prints one report of\n"
    "  every item. -j N checks on N threads (default: the number of cores).",
    1,
    1 << 20,
    RunVerify};

}  // namespace zt7cli
