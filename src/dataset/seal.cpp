// Sealing a dataset folder: its items, and the manifest that keeps them.
#include "dataset/seal.h"

#include <sys/stat.h>
#include <time.h>  // for gmtime_r
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>  // for strerror
#include <filesystem>
#include <set>
#include <system_error>

#include "dataset/folder_list.h"
#include "dataset/item_digests.h"
#include "dataset/listing.h"
#include "sdl/file_replace.h"
#include "sdl/sha256_text.h"
#include "zt3util/frames_digest.h"
#include "zt3util/hkl_validation.h"

namespace zt7::dataset {
namespace {

// A file modified this recently may still be being written.
constexpr double kFreshSeconds = 2.0;

// What one file adds to the manifest.
struct FileSeal {
  std::string sha256, digest;  // digest: its HKL or DYN digest, if any
  std::string error, note;
};

// The frames that gate the HKL and DYN digests.
struct Gate {
  std::string folder, mask, digest;
};

FileSeal SealFile(const std::string& root, const std::string& name, const Gate& gate,
                  int keyVersion, std::atomic<uint64_t>& bytesRead) {
  FileSeal seal;
  const bool hkl = IsHklFile(name), reflections = IsReflectionFile(name);
  const char* kind = hkl ? "HKL" : "DYN";
  const std::string shown = Escaped(name);
  const auto refused = [&](const std::string& reason, bool error) {
    (error ? seal.error : seal.note) =
        shown + (error ? ": could not be sealed: " : std::string(": no ") + kind + " digest: ") +
        Escaped(reason);
  };
  auto digests = [&](const std::string& path, const HklScan* lines) {
    seal = FileSeal();
    if (!hkl && !reflections) return;
    if (gate.digest.empty()) {
      seal.note = shown + ": no " + kind + " digest: no frames match '" + Escaped(gate.mask) + "'";
      return;
    }
    const Result<std::string> digest =
        hkl ? HklDigest(path, gate.folder, gate.mask, gate.digest, keyVersion, lines)
            : DynDigest(path, gate.folder, gate.mask, gate.digest);
    if (!digest.Ok()) return refused(digest.Reason(), digest.GetOutcome() == Outcome::kError);
    // The library issues HKL digests that it cannot check later (under 100 lines); from
    // scanned lines, the digest was checked on the same lines already.
    if (hkl && !lines) {
      const Result<Done> check = HklChecksOut(path, digest.Value(), nullptr);
      if (!check.Ok()) return refused(check.Reason(), check.GetOutcome() == Outcome::kError);
    }
    seal.digest = digest.Value();
  };
  // An HKL file's lines are scanned while it is read for its SHA-256: one reading for all
  // its digests.
  const ScanNeeds needs = NeedsOfValidation(keyVersion);
  const bool scanned = hkl && !gate.digest.empty();
  const FileRead read =
      ReadOneState(root, name, bytesRead, digests, false, scanned ? &needs : nullptr);
  if (read.fault != ReadFault::kNone) {
    const char* what = read.fault == ReadFault::kUnreadable ? "cannot be read: " : "";
    seal.error = shown + ": " + what + (read.why.empty() ? "disappeared" : read.why);
    return seal;
  }
  seal.sha256 = read.sha256;
  if (read.age < kFreshSeconds && seal.note.empty())
    seal.note = shown + " changed " + std::to_string(static_cast<int>(std::max(0.0, read.age))) +
                " s ago: is it still being written?";
  return seal;
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

// Removes the temporary manifests that an interrupted seal left in `folder`.
void RemoveStaleManifests(const std::string& folder, std::vector<std::string>& notes) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsTemporaryManifest(name) || !entry.is_regular_file(error)) continue;
    if (std::filesystem::remove(entry.path(), error))
      notes.push_back(Escaped(name) + ": removed, left by an interrupted seal");
  }
}

// The items of the folder `root` (links resolved), into `outcome`.
void SealItems(const std::string& root, const SealOptions& options, WorkCounters& counters,
               const Watcher& watcher, SealOutcome& outcome) {
  const std::string& mask = options.mask;
  DatasetListing listing = ListDataset(root);
  outcome.notes.insert(outcome.notes.end(), listing.skipped.begin(), listing.skipped.end());
  outcome.errors = std::move(listing.errors);
  outcome.files = listing.files.size();

  // The HKL and DYN digests are issued only while some frames check out: the first set's.
  Gate gate{"", mask, ""};
  const std::vector<FrameSet> sets = FindFrameSets(listing, mask);
  if (sets.empty()) {
    const bool single = std::any_of(listing.files.begin(), listing.files.end(), [&](auto& file) {
      return MatchesFramesMask(file.path.substr(file.path.rfind('/') + 1), mask);
    });
    outcome.warnings.push_back(
        (single ? "no folder holds two files that match" : "no file matches") +
        std::string(" the frames mask '") + Escaped(mask) + "': no frames digest");
  }
  for (const FrameSet& set : sets) {
    const std::string path = JoinPath(root, set.folder);
    const Result<std::string> digest = FramesDigest(path, mask);
    if (!digest.Ok()) {
      outcome.errors.push_back((set.folder.empty() ? "." : Escaped(set.folder)) +
                               ": no frames digest: " + Escaped(digest.Reason()));
      continue;
    }
    outcome.items.push_back({ItemKind::kFrames, digest.Value(), JoinPath(set.folder, mask)});
    ++outcome.frameSets;
    if (gate.digest.empty()) gate.folder = path, gate.digest = digest.Value();
  }
  // The frames digest reads the targets of frames that are links: so does the seal.
  std::set<std::string> frameLinks;
  for (const FrameSet& set : sets) frameLinks.insert(set.links.begin(), set.links.end());
  for (const std::string& link : listing.links) {
    FileRead read;
    read.fault = ReadFault::kChanged;  // not a frame: not followed
    if (frameLinks.count(link) != 0)
      read = ReadOneState(
          root, link, counters.bytesDone, [](const std::string&, const HklScan*) {}, true);
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
      listing.files.size(), options.threads,
      [&](size_t i) {
        seals[i] =
            SealFile(root, listing.files[i].path, gate, options.keyVersion, counters.bytesDone);
      },
      counters, watcher);
  if (counters.cancelled) return;

  // A frame replaced while the folder was sealed: its SHA-256 and the frames digest may
  // not come from one state.
  for (const ManifestItem& item : outcome.items) {
    if (item.kind != ItemKind::kFrames) continue;
    const Result<Done> check =
        FramesCheckOut(JoinPath(root, FramesFolder(item.path)), mask, item.digest);
    if (check.Ok()) continue;
    outcome.errors.push_back(Escaped(item.path) + ": " +
                             (check.GetOutcome() == Outcome::kError
                                  ? "no frames digest: " + Escaped(check.Reason())
                                  : "the frames changed while they were sealed"));
  }

  for (size_t i = 0; i < seals.size(); ++i) {
    const FileSeal& seal = seals[i];
    const std::string& name = listing.files[i].path;
    if (!seal.error.empty()) outcome.errors.push_back(seal.error);
    if (!seal.note.empty()) outcome.notes.push_back(seal.note);
    if (!seal.sha256.empty()) outcome.items.push_back({ItemKind::kSha256, seal.sha256, name});
    if (seal.digest.empty()) continue;
    const bool hkl = IsHklFile(name);
    outcome.items.push_back({hkl ? ItemKind::kHkl : ItemKind::kDyn, seal.digest, name});
    ++(hkl ? outcome.hklFiles : outcome.reflectionFiles);
  }
}

Result<Done> Refusal(const std::string& subject, const std::string& reason) {
  return Result<Done>(Outcome::kRefused, "'" + Escaped(subject) + "': " + reason);
}

}  // namespace

SealOutcome SealFolder(const std::string& folder, const SealOptions& options,
                       WorkCounters& counters, const Watcher& watcher) {
  SealOutcome outcome;
  outcome.folder = FolderText(folder);
  outcome.manifest = JoinPath(outcome.folder, kManifestName);
  struct stat st;
  if (stat(outcome.folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    outcome.written = Refusal(outcome.folder, "not a folder");
    return outcome;
  }
  outcome.resolved = ResolvedFolder(outcome.folder);
  if (!options.force && options.skipSealed && lstat(outcome.manifest.c_str(), &st) == 0) {
    outcome.skipped = true;
    outcome.written = Result<Done>(Done{});
    ++counters.datasetsDone;
    return outcome;
  }
  if (!options.force && lstat(outcome.manifest.c_str(), &st) == 0) {
    outcome.written =
        Refusal(outcome.manifest, "exists: the folder is sealed (--force seals it anew)");
    return outcome;
  }
  // Before any work: a read-only folder cannot take a manifest.
  if (access(outcome.folder.c_str(), W_OK) != 0) {
    outcome.written =
        Refusal(outcome.folder, std::string("cannot write in it: ") + std::strerror(errno));
    return outcome;
  }
  RemoveStaleManifests(outcome.folder, outcome.notes);
  std::error_code error;
  SealItems(std::filesystem::canonical(outcome.folder, error).string(), options, counters, watcher,
            outcome);
  if (counters.cancelled) {
    outcome.written = Result<Done>(Outcome::kError, "cancelled: no manifest written");
    return outcome;
  }
  if (!outcome.errors.empty()) {
    outcome.written = Refusal(outcome.folder, "not sealed: no manifest written");
    return outcome;
  }
  const std::string manifest = FormatManifest(outcome.items, options.keyVersion, UtcNow());
  outcome.written = ReplaceFile(outcome.manifest, manifest, options.force);
  if (outcome.written.Ok()) outcome.manifestSha256 = Sha256Hex(manifest);
  if (outcome.written.GetOutcome() == Outcome::kRefused)
    outcome.written = Refusal(outcome.manifest, "exists (--force replaces it)");
  else if (!outcome.written.Ok())
    outcome.written = Result<Done>(
        Outcome::kError, "'" + Escaped(outcome.manifest) + "': " + outcome.written.Reason());
  ++counters.datasetsDone;
  return outcome;
}

}  // namespace zt7::dataset
