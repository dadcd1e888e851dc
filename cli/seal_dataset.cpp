// Sealing a dataset folder: the items of its manifest.
#include "seal_dataset.h"

#include <filesystem>
#include <system_error>

#include "dataset.h"
#include "item_digests.h"

namespace zt7cli {
namespace {

// What one file adds to the manifest.
struct FileSeal {
  std::string sha256, module;  // module: its HKL or DYN digest, if any
  std::string error, note;
};

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
  std::string gateFolder, gateDigest;
  for (const FrameSet& set : FindFrameSets(listing.files, mask)) {
    const std::string path = JoinPath(root, set.folder);
    const std::string digest = FramesDigest(path, mask);
    if (digest.empty()) {
      outcome.errors.push_back((set.folder.empty() ? "." : set.folder) +
                               ": no frames digest (a frame cannot be read)");
      continue;
    }
    outcome.items.push_back({ItemKind::kFrames, digest, JoinPath(set.folder, mask)});
    ++outcome.frameSets;
    if (gateDigest.empty()) gateFolder = path, gateDigest = digest;
  }

  std::vector<FileSeal> seals(listing.files.size());
  for (const DatasetFile& file : listing.files) counters.bytes += file.size;
  RunInParallel(
      listing.files.size(), threads,
      [&](size_t i) {
        const std::string& name = listing.files[i].path;
        const std::string path = JoinPath(root, name);
        FileSeal& seal = seals[i];
        const FileHash hash = Sha256OfFile(path, counters.bytesDone);
        if (!hash.error.empty()) {
          seal.error = name + ": cannot be read: " + hash.error;
          return;
        }
        seal.sha256 = hash.hex;
        const bool hkl = IsHklFile(name), reflections = IsReflectionFile(name);
        if (!hkl && !reflections) return;
        const char* kind = hkl ? "HKL" : "DYN";
        if (gateDigest.empty()) {
          seal.note = name + ": no " + kind + " digest: no frames match '" + mask + "'";
          return;
        }
        seal.module = hkl ? HklDigest(path, gateFolder, mask, gateDigest)
                          : DynDigest(path, gateFolder, mask, gateDigest);
        // The module issues HKL digests it cannot check later (under 100 lines).
        if (hkl && !seal.module.empty() && !HklChecksOut(path, seal.module)) seal.module.clear();
        if (seal.module.empty())
          seal.note = name + ": no " + kind + " digest: the module refused the file" +
                      (hkl ? " (too few reflection lines?)" : " (no reflection loop?)");
      },
      counters, showProgress);

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
