// Checking a sealed dataset folder against its manifest, piece by piece.
#include "verify_dataset.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <system_error>

#include "dataset.h"
#include "item_digests.h"

namespace zt7cli {
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

// The verdict on a file that was read, from what each of its items found.
void Judge(EntryCheck& entry) {
  const ItemCheck* sha = Find(entry, ItemKind::kSha256);
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
    entry.reason = "SHA-256 differs";
  }
}

}  // namespace

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
    default:
      return "REFORMATTED";
  }
}

bool DatasetCheck::Intact() const {
  return error.empty() && std::all_of(entries.begin(), entries.end(), [](const EntryCheck& e) {
           return e.status == Status::kOk || e.status == Status::kReformatted;
         });
}

DatasetVerification::DatasetVerification(const std::string& folder) {
  check_.folder = folder;
  std::error_code error;
  root_ = fs::canonical(folder, error).string();
  if (error || !fs::is_directory(root_, error)) {
    check_.error = "'" + folder + "' is not a folder";
    return;
  }
  const std::string manifestPath = JoinPath(folder, kManifestName);
  std::string text;
  check_.error = ReadManifest(manifestPath, text);
  if (!check_.error.empty()) return;
  std::vector<ManifestItem> items;
  try {
    items = ParseManifest(text);
  } catch (const ManifestError& bad) {
    check_.error = manifestPath + ":" + std::to_string(bad.line) + ": " + bad.reason;
    return;
  }
  // Every path is checked before anything is read, so that no line reaches outside.
  std::map<std::pair<std::string, bool>, EntryCheck> entries;
  for (const ManifestItem& item : items) {
    const bool frames = item.kind == ItemKind::kFrames;
    const std::string place = frames ? FramesFolder(item.path) : item.path;
    const std::string leaves = place.empty() ? "" : PathLeavesFolder(root_, place);
    if (!leaves.empty() || (frames && FramesMask(item.path).empty())) {
      check_.error = manifestPath + ":" + std::to_string(item.line) + ": path refused (" +
                     (leaves.empty() ? "no frames mask" : leaves) + "): " + item.path;
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
  for (const DatasetFile& file : listing.files) {
    bytes_ += file.size;
    EntryCheck& entry = entries[{file.path, false}];
    if (!entry.items.empty()) continue;
    entry.path = file.path;
    entry.status = Status::kNew;
    entry.items.push_back({ItemKind::kSha256, "", ""});
  }
  for (auto& [key, entry] : entries) {
    frames_.push_back(key.second);
    check_.entries.push_back(std::move(entry));
  }
}

void DatasetVerification::CheckPiece(size_t piece, std::atomic<uint64_t>& bytesRead) {
  EntryCheck& entry = check_.entries[piece];
  if (frames_[piece])
    CheckFrames(entry);
  else
    CheckFile(entry, bytesRead);
}

void DatasetVerification::CheckFile(EntryCheck& entry, std::atomic<uint64_t>& bytesRead) {
  const std::string path = JoinPath(root_, entry.path);
  if (entry.status != Status::kNew && Absent(path)) {
    entry.status = Status::kMissing;
    return;
  }
  // The module's checks open the file as it is: they run only on a regular file read.
  const FileHash hash = Sha256OfFile(path, bytesRead);
  if (!hash.error.empty()) {
    if (entry.status == Status::kNew) return;
    entry.status = Status::kFailed;
    entry.reason = "cannot be read: " + hash.error;
    return;
  }
  for (ItemCheck& item : entry.items) {
    if (item.kind == ItemKind::kSha256)
      item.found = hash.hex;
    else if (item.kind == ItemKind::kHkl ? HklChecksOut(path, item.expected)
                                         : DynChecksOut(path, item.expected))
      item.found = item.expected;
  }
  if (entry.status != Status::kNew) Judge(entry);
}

void DatasetVerification::CheckFrames(EntryCheck& entry) {
  const std::string folder = JoinPath(root_, FramesFolder(entry.path));
  const std::string mask = FramesMask(entry.path);
  if (Absent(folder)) {
    entry.status = Status::kMissing;
    return;
  }
  ItemCheck& item = entry.items.front();
  item.found = FramesDigest(folder, mask);
  if (!FramesCheckOut(folder, mask, item.expected)) {
    entry.status = Status::kFailed;
    entry.reason = item.found.empty() ? "no frames digest: fewer than two frames, or one unreadable"
                                      : "frames digest does not check out";
  }
}

}  // namespace zt7cli
