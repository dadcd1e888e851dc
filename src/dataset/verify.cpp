// Checking a sealed dataset folder against its manifest, piece by piece.
#include "verify_dataset.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <system_error>

#include "cli_support.h"
#include "dataset.h"
#include "item_digests.h"
#include "module_log.h"

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
    case Status::kReformatted:
      return "REFORMATTED";
    default:
      return "ERROR";
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
    check_.error = "'" + Escaped(folder) + "' is not a folder";
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
    check_.error = Escaped(manifestPath) + ":" + std::to_string(bad.line) + ": " + bad.reason;
    return;
  }
  // Every path is checked before anything is read, so that no line reaches outside.
  std::map<std::pair<std::string, bool>, EntryCheck> entries;
  for (const ManifestItem& item : items) {
    // A frames item's last name is its mask: its folder is resolved whole.
    const bool frames = item.kind == ItemKind::kFrames;
    const std::string leaves = PathLeavesFolder(root_, item.path);
    if (!leaves.empty() || (frames && FramesMask(item.path).empty())) {
      check_.error = Escaped(manifestPath) + ":" + std::to_string(item.line) + ": path refused (" +
                     (leaves.empty() ? "no frames mask" : leaves) + "): " + Escaped(item.path);
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
             MatchesMask(FramesMask(link), FramesMask(item.path));
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
  doubts_.assign(check_.entries.size(), 0);
}

void DatasetVerification::CheckPiece(size_t piece, std::atomic<uint64_t>& bytesRead) {
  EntryCheck& entry = check_.entries[piece];
  doubts_[piece] = frames_[piece] ? CheckFrames(entry, false) : CheckFile(entry, bytesRead, false);
}

void DatasetVerification::CheckDoubtfulPieces(std::atomic<uint64_t>& bytesRead) {
  for (size_t piece = 0; piece < doubts_.size(); ++piece) {
    if (!doubts_[piece]) continue;
    EntryCheck& entry = check_.entries[piece];
    if (entry.status != Status::kNew) entry.status = Status::kOk;
    entry.reason.clear();
    doubts_[piece] = frames_[piece] ? CheckFrames(entry, true) : CheckFile(entry, bytesRead, true);
  }
}

namespace {

// The module's word on the check just made, when it is an error: "" for a mismatch.
std::string ErrorOfLastCheck() {
  const ModuleWord word = LastModuleWord();
  return word.error ? ErrorReason(word) : "";
}

}  // namespace

bool DatasetVerification::CheckFile(EntryCheck& entry, std::atomic<uint64_t>& bytesRead,
                                    bool asked) {
  const bool added = entry.status == Status::kNew;
  const bool link = entry.items.front().kind == ItemKind::kLink;
  struct stat st;
  if (link && !added && lstat(JoinPath(root_, entry.path).c_str(), &st) == 0 &&
      !S_ISLNK(st.st_mode)) {
    entry.status = Status::kFailed;
    entry.reason = "no longer a symbolic link";
    return false;
  }
  bool doubt = false;
  std::string error;
  auto module = [&](const std::string& path) {
    doubt = false;
    error.clear();
    for (ItemCheck& item : entry.items) {
      if (item.kind == ItemKind::kSha256) continue;
      const bool passes = item.kind == ItemKind::kHkl ? HklChecksOut(path, item.expected)
                                                      : DynChecksOut(path, item.expected);
      item.found = passes ? item.expected : "";
      doubt = doubt || !passes;
      if (!passes && asked && error.empty()) error = ErrorOfLastCheck();
    }
  };
  const FileRead read = ReadOneState(root_, entry.path, bytesRead, module, link);
  for (ItemCheck& item : entry.items)
    if (item.kind == ItemKind::kSha256 || link) item.found = read.sha256;
  if (added) return false;
  switch (read.fault) {
    case ReadFault::kNone:
      break;
    case ReadFault::kAbsent:
      entry.status =
          link && !Absent(JoinPath(root_, entry.path)) ? Status::kFailed : Status::kMissing;
      if (entry.status == Status::kFailed) entry.reason = "its target is missing";
      return false;
    case ReadFault::kChanged:
      entry.status = Status::kFailed;
      entry.reason = (link ? "its target is " : "") + read.why;
      return false;
    default:
      entry.status = Status::kError;
      entry.reason = (read.fault == ReadFault::kUnreadable ? "cannot be read: " : "") + read.why;
      return false;
  }
  if (!error.empty()) {
    entry.status = Status::kError;
    entry.reason = error;
    return false;
  }
  Judge(entry);
  return doubt;
}

bool DatasetVerification::CheckFrames(EntryCheck& entry, bool asked) {
  const std::string folder = JoinPath(root_, FramesFolder(entry.path));
  const std::string mask = FramesMask(entry.path);
  // The module lists the folder by its path: never through a link.
  const FileRead place = LookAtFolder(root_, FramesFolder(entry.path));
  if (place.fault != ReadFault::kNone) {
    entry.status = place.fault == ReadFault::kAbsent    ? Status::kMissing
                   : place.fault == ReadFault::kChanged ? Status::kFailed
                                                        : Status::kError;
    entry.reason = place.why;
    return false;
  }
  ItemCheck& item = entry.items.front();
  item.found = FramesDigest(folder, mask);
  if (asked) NewLogEntries();
  if (FramesCheckOut(folder, mask, item.expected)) return false;
  const std::string error = asked ? ErrorOfLastCheck() : "";
  entry.status = error.empty() ? Status::kFailed : Status::kError;
  entry.reason = !error.empty()       ? error
                 : item.found.empty() ? "no frames digest: fewer than two frames, or one unreadable"
                                      : "frames digest does not check out";
  return true;
}

}  // namespace zt7cli
