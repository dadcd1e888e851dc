// A dataset folder's parts: its regular files, its frame sets and the files it skips.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sdl/result.h"

namespace zt7::dataset {

// The manifest's name inside the dataset folder; never part of the dataset itself.
inline constexpr char kManifestName[] = "zt7util-seal.txt";

struct DatasetFile {
  std::string path;  // relative to the dataset folder, "/" between names
  uint64_t size = 0;
};

// Frames of one folder that the frames digest covers.
struct FrameSet {
  std::string folder;              // relative to the dataset folder; "" for the folder itself
  size_t count = 0;                // regular files and links that match the mask
  std::vector<std::string> links;  // those that are symbolic links: the digest reads their targets
};

struct DatasetListing {
  std::vector<DatasetFile> files;    // sorted by path
  std::vector<std::string> links;    // symbolic links, sorted
  std::vector<std::string> skipped;  // "path: reason" for other entries, which are not read
  std::vector<std::string> errors;   // "path: reason" for folders that cannot be listed
};

// Every regular file and link under `root` (sub-folders included), never following a
// link and never opening anything but folders. The manifest at the top is left out.
DatasetListing ListDataset(const std::string& root);

// The folders holding at least two files or links of `listing` that match `mask`.
std::vector<FrameSet> FindFrameSets(const DatasetListing& listing, const std::string& mask);

// The note on a link that nothing reads through.
std::string LinkNotFollowed(const std::string& path);

// A manifest being written (its temporary name), or one that an interrupted seal left:
// never part of the dataset.
bool IsTemporaryManifest(const std::string& path);

// Files whose module digest a seal keeps beside their SHA-256.
bool IsHklFile(const std::string& path);
bool IsReflectionFile(const std::string& path);

// `folder/path` with "" taken as the folder itself.
std::string JoinPath(const std::string& folder, const std::string& path);

// kOk when the relative `path` (of a manifest line) names a place inside `root`, else
// refused with the reason: not relative, ".." or "." names, empty names, or a link on the
// way that leads out (the last name is not followed). `canonicalRoot` is `root` with its
// links resolved.
Result<Done> InsideFolder(const std::string& canonicalRoot, const std::string& path);

}  // namespace zt7::dataset
