// Checking a sealed dataset folder against its manifest, piece by piece.
#include "dataset/verify.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

#include "dataset/item_digests.h"
#include "dataset/listing.h"
#include "dataset/moves.h"
#include "sdl/sha256_text.h"
#include "zt3util/frames_digest.h"

namespace zt7::dataset {
namespace {

namespace fs = std::filesystem;

// Whether nothing at all stands at `path` (a file of any kind counts as present).
bool Absent(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

const ItemCheck* Find(const EntryCheck& entry, ItemKind kind) {
  for (const ItemCheck& item : entry.items)
    if (item.kind == kind) return &item;
  return nullptr;
}

}  // namespace

void Judge(EntryCheck& entry) {
  const ItemCheck* link = Find(entry, ItemKind::kLink);
  const ItemCheck* sha = link ? link : Find(entry, ItemKind::kSha256);
  const ItemCheck* hkl = Find(entry, ItemKind::kHkl);
  const ItemCheck* dyn = Find(entry, ItemKind::kDyn);
  auto same = [](const ItemCheck* item) { return item && item->found == item->expected; };
  if (!sha || same(sha)) {
    if ((!hkl || same(hkl)) && (!dyn || same(dyn))) return;
    entry.status = Status::kFailed;
    entry.reason = std::string(sha ? "bytes unchanged, but its " : "its ") +
                   (hkl && !same(hkl) ? "HKL" : "DYN") + " digest does not check out";
    return;
  }
  entry.status = Status::kFailed;
  if (dyn && same(dyn)) {
    entry.status = Status::kReformatted;
    entry.reason = "bytes changed, reflection loop unchanged: its DYN digest checks out";
  } else if (hkl && same(hkl)) {
    entry.reason =
        "bytes changed; its HKL digest still checks out, but that digest compares binned "
        "intensities and cannot vouch that the data are unchanged";
  } else if (hkl || dyn) {
    entry.reason = std::string("bytes changed, and its ") + (hkl ? "HKL" : "DYN") +
                   " digest does not check out";
  } else {
    entry.reason = link ? "its target changed: SHA-256 differs" : "SHA-256 differs";
  }
}

const char* StatusName(Status status) {
  switch (status) {
    case Status::kOk:
      return "OK";
    case Status::kFailed:
      return "FAILED";
    case Status::kMissing:
      return "MISSING";
    case Status::kNew:
      return "NEW";
    case Status::kReformatted:
      return "REFORMATTED";
    case Status::kMoved:
      return "MOVED";
    default:
      return "ERROR";
  }
}

bool DatasetCheck::Intact() const {
  return error.empty() && std::all_of(entries.begin(), entries.end(), [](const EntryCheck& e) {
           return e.status == Status::kOk || e.status == Status::kReformatted;
         });
}

DatasetVerification::DatasetVerification(const std::string& folder,
                                         const Expectation& expectation) {
  check_.folder = folder;
  std::error_code error;
  root_ = fs::canonical(folder, error).string();
  if (error || !fs::is_directory(root_, error)) {
    check_.error = "'" + Escaped(folder) + "' is not a folder";
    return;
  }
  const std::string manifestPath = JoinPath(folder, kManifestName);
  const Result<std::string> text = ReadManifest(manifestPath);
  if (!text.Ok()) {
    check_.error = text.Reason();
    return;
  }
  if (expectation.given) {
    const std::string found = Sha256Hex(text.Value());
    if (found != expectation.sha256) {
      check_.error = Escaped(manifestPath) + ": refused: its SHA-256 is " + found + ", " +
                     (expectation.sha256.empty() ? "and none is expected for this folder"
                                                 : "not the expected " + expectation.sha256);
      return;
    }
  }
  const Result<std::vector<ManifestItem>> parsed = ParseManifest(text.Value());
  if (!parsed.Ok()) {
    check_.error = Escaped(manifestPath) + ":" + parsed.Reason();
    return;
  }
  const std::vector<ManifestItem>& items = parsed.Value();
  // Every path is checked before anything is read, so that no line reaches outside.
  std::map<std::pair<std::string, bool>, EntryCheck> entries;
  for (const ManifestItem& item : items) {
    // A frames item's last name is its mask: its folder is resolved whole.
    const bool frames = item.kind == ItemKind::kFrames;
    const Result<Done> inside = InsideFolder(root_, item.path);
    if (!inside.Ok() || (frames && FramesMask(item.path).empty())) {
      check_.error = Escaped(manifestPath) + ":" + std::to_string(item.line) + ": path refused (" +
                     (inside.Ok() ? "no frames mask" : inside.Reason()) +
                     "): " + Escaped(item.path);
      return;
    }
    EntryCheck& entry = entries[{item.path, frames}];
    entry.path = item.path;
    entry.items.push_back({item.kind, item.digest, ""});
  }
  DatasetListing listing = ListDataset(root_);
  check_.notes = std::move(listing.skipped);
  for (const std::string& unlisted : listing.errors)
    check_.notes.push_back(unlisted + " (new files in it cannot be seen)");
  auto added = [&](const std::string& path, ItemKind kind) {
    EntryCheck& entry = entries[{path, false}];
    if (!entry.items.empty()) return;
    entry.path = path;
    entry.status = Status::kNew;
    entry.items.push_back({kind, "", ""});
  };
  for (const DatasetFile& file : listing.files) {
    bytes_ += file.size;
    added(file.path, ItemKind::kSha256);
  }
  // A link is read only as a frame that a frames digest reads through.
  for (const std::string& link : listing.links) {
    const bool frame = std::any_of(items.begin(), items.end(), [&](const ManifestItem& item) {
      return item.kind == ItemKind::kFrames && FramesFolder(item.path) == FramesFolder(link) &&
             MatchesFramesMask(FramesMask(link), FramesMask(item.path));
    });
    if (frame || entries.count({link, false}) != 0)
      added(link, ItemKind::kLink);
    else
      check_.notes.push_back(LinkNotFollowed(link));
  }
  for (auto& [key, entry] : entries) {
    frames_.push_back(key.second);
    check_.entries.push_back(std::move(entry));
  }
}

void DatasetVerification::Finish() {
  FoldMoves(check_.entries);
}

void DatasetVerification::CheckPiece(size_t piece, std::atomic<uint64_t>& bytesRead) {
  EntryCheck& entry = check_.entries[piece];
  if (frames_[piece])
    CheckFrames(entry);
  else
    CheckFile(entry, bytesRead);
}

void DatasetVerification::CheckFile(EntryCheck& entry, std::atomic<uint64_t>& bytesRead) {
  const bool added = entry.status == Status::kNew;
  const bool link = entry.items.front().kind == ItemKind::kLink;
  struct stat st;
  if (link && !added && lstat(JoinPath(root_, entry.path).c_str(), &st) == 0 &&
      !S_ISLNK(st.st_mode)) {
    entry.status = Status::kFailed;
    entry.reason = "no longer a symbolic link";
    return;
  }
  std::string error;
  auto digests = [&](const std::string& path, const HklScan* lines) {
    error.clear();
    for (ItemCheck& item : entry.items) {
      if (item.kind == ItemKind::kSha256) continue;
      const Result<Done> check = item.kind == ItemKind::kHkl
                                     ? HklChecksOut(path, item.expected, lines)
                                     : DynChecksOut(path, item.expected);
      item.found = check.Ok() ? item.expected : "";
      if (check.GetOutcome() == Outcome::kError && error.empty()) error = check.Reason();
    }
  };
  // An HKL file's lines are scanned while it is read for its SHA-256.
  const ItemCheck* hkl = nullptr;
  for (const ItemCheck& item : entry.items)
    if (item.kind == ItemKind::kHkl) hkl = &item;
  const ScanNeeds needs = hkl ? NeedsToCheck(hkl->expected) : ScanNeeds();
  const FileRead read =
      ReadOneState(root_, entry.path, bytesRead, digests, link, hkl ? &needs : nullptr);
  for (ItemCheck& item : entry.items)
    if (item.kind == ItemKind::kSha256 || link) item.found = read.sha256;
  if (added) return;
  switch (read.fault) {
    case ReadFault::kNone:
      break;
    case ReadFault::kAbsent:
      entry.status =
          link && !Absent(JoinPath(root_, entry.path)) ? Status::kFailed : Status::kMissing;
      if (entry.status == Status::kFailed) entry.reason = "its target is missing";
      return;
    case ReadFault::kChanged:
      entry.status = Status::kFailed;
      entry.reason = (link ? "its target is " : "") + read.why;
      return;
    default:
      entry.status = Status::kError;
      entry.reason = (read.fault == ReadFault::kUnreadable ? "cannot be read: " : "") + read.why;
      return;
  }
  if (!error.empty()) {
    entry.status = Status::kError;
    entry.reason = error;
    return;
  }
  Judge(entry);
}

void DatasetVerification::CheckFrames(EntryCheck& entry) {
  const std::string folder = JoinPath(root_, FramesFolder(entry.path));
  const std::string mask = FramesMask(entry.path);
  // The module lists the folder by its path: never through a link.
  const FileRead place = LookAtFolder(root_, FramesFolder(entry.path));
  if (place.fault != ReadFault::kNone) {
    entry.status = place.fault == ReadFault::kAbsent    ? Status::kMissing
                   : place.fault == ReadFault::kChanged ? Status::kFailed
                                                        : Status::kError;
    entry.reason = place.why;
    return;
  }
  ItemCheck& item = entry.items.front();
  const Result<std::string> found = FramesDigest(folder, mask);
  item.found = found.Value();
  const Result<Done> check = FramesCheckOut(folder, mask, item.expected);
  if (check.Ok()) return;
  const bool error = check.GetOutcome() == Outcome::kError;
  entry.status = error ? Status::kError : Status::kFailed;
  entry.reason = error        ? check.Reason()
                 : found.Ok() ? "frames digest does not check out"
                              : "no frames digest: " + found.Reason();
}

std::vector<DatasetCheck> VerifyFolders(const std::vector<std::string>& folders,
                                        const std::vector<Expectation>& expectations,
                                        unsigned threads, WorkCounters& counters,
                                        const Watcher& watcher) {
  std::vector<std::unique_ptr<DatasetVerification>> datasets;
  counters.datasets = folders.size();
  std::vector<std::pair<size_t, size_t>> pieces;  // dataset, piece
  for (size_t i = 0; i < folders.size(); ++i) {
    std::string text = folders[i];
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    datasets.push_back(std::make_unique<DatasetVerification>(
        text, expectations.empty() ? Expectation() : expectations[i]));
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
      pieces.size(), threads,
      [&](size_t i) {
        const auto [dataset, piece] = pieces[i];
        datasets[dataset]->CheckPiece(piece, counters.bytesDone);
        if (--left[dataset] == 0) ++counters.datasetsDone;
      },
      counters, watcher);
  std::vector<DatasetCheck> checks;
  for (const auto& dataset : datasets) {
    dataset->Finish();
    checks.push_back(dataset->Check());
  }
  return checks;
}

}  // namespace zt7::dataset
