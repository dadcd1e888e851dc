// Sealing a dataset folder: the items of its manifest.
#include "seal_dataset.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "cli_support.h"
#include "dataset.h"
#include "item_digests.h"
#include "module_log.h"

namespace zt7cli {
namespace {

// A file modified this recently may still be being written.
constexpr double kFreshSeconds = 2.0;

// What one file adds to the manifest.
struct FileSeal {
  std::string sha256, module;  // module: its HKL or DYN digest, if any
  std::string error, note;
  bool refused = false;  // the module gave no digest, or one that does not check
};

// The frames that gate the HKL and DYN digests.
struct Gate {
  std::string folder, mask, digest;
};

// Seals one file. With `asked`, the module's word on a refusal is read from its log,
// which only a call made alone can attribute.
FileSeal SealFile(const std::string& root, const std::string& name, const Gate& gate,
                  std::atomic<uint64_t>& bytesRead, bool asked) {
  FileSeal seal;
  const bool hkl = IsHklFile(name), reflections = IsReflectionFile(name);
  const char* kind = hkl ? "HKL" : "DYN";
  const std::string shown = Escaped(name);
  auto module = [&](const std::string& path) {
    seal = FileSeal();
    if (!hkl && !reflections) return;
    if (gate.digest.empty()) {
      seal.note = shown + ": no " + kind + " digest: no frames match '" + Escaped(gate.mask) + "'";
      return;
    }
    seal.module = hkl ? HklDigest(path, gate.folder, gate.mask, gate.digest)
                      : DynDigest(path, gate.folder, gate.mask, gate.digest);
    // The module issues HKL digests that it cannot check later (under 100 lines).
    const bool checks = !seal.module.empty() && (!hkl || HklChecksOut(path, seal.module));
    if (checks) return;
    seal.refused = true;
    if (!asked) return;
    const ModuleWord word = LastModuleWord();
    if (word.error)
      seal.error = shown + ": could not be sealed: " + Escaped(ErrorReason(word));
    else
      seal.note = shown + ": no " + kind + " digest: " + Escaped(word.reason);
    seal.module.clear();
  };
  const FileRead read = ReadOneState(root, name, bytesRead, module);
  if (read.fault != ReadFault::kNone) {
    const char* what = read.fault == ReadFault::kUnreadable ? "cannot be read: " : "";
    seal.error = shown + ": " + what + (read.why.empty() ? "disappeared" : read.why);
    seal.refused = false;
    return seal;
  }
  seal.sha256 = read.sha256;
  if (read.age < kFreshSeconds && seal.note.empty())
    seal.note = shown + " changed " + std::to_string(static_cast<int>(std::max(0.0, read.age))) +
                " s ago: is it still being written?";
  return seal;
}

}  // namespace

SealOutcome SealDataset(const std::string& folder, const std::string& mask, unsigned threads,
                        WorkCounters& counters, bool showProgress) {
  SealOutcome outcome;
  std::error_code error;
  const std::string root = std::filesystem::canonical(folder, error).string();
  DatasetListing listing = ListDataset(root);
  outcome.notes = std::move(listing.skipped);
  outcome.errors = std::move(listing.errors);
  outcome.files = listing.files.size();

  // The HKL and DYN digests are issued only while some frames check out: the first set's.
  Gate gate{"", mask, ""};
  const std::vector<FrameSet> sets = FindFrameSets(listing, mask);
  if (sets.empty()) {
    const bool single = std::any_of(listing.files.begin(), listing.files.end(), [&](auto& file) {
      return MatchesMask(file.path.substr(file.path.rfind('/') + 1), mask);
    });
    outcome.warnings.push_back(
        (single ? "no folder holds two files that match" : "no file matches") +
        std::string(" the frames mask '") + Escaped(mask) + "': no frames digest");
  }
  for (const FrameSet& set : sets) {
    const std::string path = JoinPath(root, set.folder);
    NewLogEntries();  // one call at a time here: its entries are its own
    const std::string digest = FramesDigest(path, mask);
    if (digest.empty()) {
      outcome.errors.push_back((set.folder.empty() ? "." : Escaped(set.folder)) +
                               ": no frames digest: " + Escaped(RefusalReason(LastModuleWord())));
      continue;
    }
    outcome.items.push_back({ItemKind::kFrames, digest, JoinPath(set.folder, mask)});
    ++outcome.frameSets;
    if (gate.digest.empty()) gate.folder = path, gate.digest = digest;
  }
  // The frames digest reads the targets of frames that are links: so does the seal.
  std::set<std::string> frameLinks;
  for (const FrameSet& set : sets) frameLinks.insert(set.links.begin(), set.links.end());
  for (const std::string& link : listing.links) {
    FileRead read;
    read.fault = ReadFault::kChanged;  // not a frame: not followed
    if (frameLinks.count(link) != 0)
      read = ReadOneState(
          root, link, counters.bytesDone, [](const std::string&) {}, true);
    if (read.fault == ReadFault::kNone) {
      outcome.items.push_back({ItemKind::kLink, read.sha256, link});
      outcome.notes.push_back(Escaped(link) +
                              ": symbolic link to a frame: its target is sealed, as the frames "
                              "digest reads it");
    } else if (read.fault == ReadFault::kUnreadable || read.fault == ReadFault::kUnsteady) {
      outcome.errors.push_back(Escaped(link) + ": its target: " + read.why);
    } else {
      outcome.notes.push_back(LinkNotFollowed(link));
    }
  }

  std::vector<FileSeal> seals(listing.files.size());
  for (const DatasetFile& file : listing.files) counters.bytes += file.size;
  RunInParallel(
      listing.files.size(), threads,
      [&](size_t i) {
        seals[i] = SealFile(root, listing.files[i].path, gate, counters.bytesDone, false);
      },
      counters, showProgress);
  // The module's word on each refusal: asked again, one call at a time.
  NewLogEntries();
  for (size_t i = 0; i < seals.size(); ++i)
    if (seals[i].refused)
      seals[i] = SealFile(root, listing.files[i].path, gate, counters.bytesDone, true);

  // A frame replaced while the folder was sealed: its SHA-256 and the frames digest may
  // not come from one state.
  for (const ManifestItem& item : outcome.items) {
    if (item.kind != ItemKind::kFrames) continue;
    NewLogEntries();
    if (FramesCheckOut(JoinPath(root, FramesFolder(item.path)), mask, item.digest)) continue;
    const ModuleWord word = LastModuleWord();
    outcome.errors.push_back(Escaped(item.path) + ": " +
                             (word.error ? "no frames digest: " + Escaped(RefusalReason(word))
                                         : "the frames changed while they were sealed"));
  }

  for (size_t i = 0; i < seals.size(); ++i) {
    const FileSeal& seal = seals[i];
    const std::string& name = listing.files[i].path;
    if (!seal.error.empty()) outcome.errors.push_back(seal.error);
    if (!seal.note.empty()) outcome.notes.push_back(seal.note);
    if (!seal.sha256.empty()) outcome.items.push_back({ItemKind::kSha256, seal.sha256, name});
    if (seal.module.empty()) continue;
    const bool hkl = IsHklFile(name);
    outcome.items.push_back({hkl ? ItemKind::kHkl : ItemKind::kDyn, seal.module, name});
    ++(hkl ? outcome.hklFiles : outcome.reflectionFiles);
  }
  return outcome;
}

}  // namespace zt7cli
