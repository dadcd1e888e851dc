// Finding a dataset folder's parts, and keeping manifest paths inside the folder.
#include "dataset/listing.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "dataset/manifest.h"
#include "zt3util/frames_digest.h"

namespace zt7::dataset {
namespace {

namespace fs = std::filesystem;

const char* SkipReason(fs::file_type type) {
  switch (type) {
    case fs::file_type::fifo:
      return "FIFO, not read";
    case fs::file_type::block:
    case fs::file_type::character:
      return "device file, not read";
    case fs::file_type::socket:
      return "socket, not read";
    default:
      return "not a regular file, not read";
  }
}

void ListFolder(const fs::path& root, const std::string& folder, DatasetListing& listing) {
  std::error_code error;
  const fs::path here = folder.empty() ? root : root / folder;
  fs::directory_iterator entries(here, error), end;
  for (; !error && entries != end; entries.increment(error)) {
    const std::string name = entries->path().filename().string();
    const std::string path = JoinPath(folder, name);
    const fs::file_type type = entries->symlink_status(error).type();
    if (error) break;
    if (type == fs::file_type::directory) {
      ListFolder(root, path, listing);
    } else if (type == fs::file_type::regular) {
      if (path == kManifestName || IsTemporaryManifest(path)) continue;
      const uint64_t size = entries->file_size(error);
      if (error) break;
      listing.files.push_back({path, size});
    } else if (type == fs::file_type::symlink) {
      listing.links.push_back(path);
    } else {
      listing.skipped.push_back(Escaped(path) + ": " + SkipReason(type));
    }
  }
  if (error)
    listing.errors.push_back((folder.empty() ? "." : Escaped(folder)) + ": " + error.message());
}

Result<Done> Refused(const std::string& reason) {
  return Result<Done>(Outcome::kRefused, reason);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

DatasetListing ListDataset(const std::string& root) {
  DatasetListing listing;
  ListFolder(root, "", listing);
  std::sort(listing.files.begin(), listing.files.end(),
            [](const DatasetFile& a, const DatasetFile& b) { return a.path < b.path; });
  std::sort(listing.links.begin(), listing.links.end());
  std::sort(listing.skipped.begin(), listing.skipped.end());
  return listing;
}

std::vector<FrameSet> FindFrameSets(const DatasetListing& listing, const std::string& mask) {
  std::map<std::string, FrameSet> sets;
  auto count = [&](const std::string& path, bool link) {
    const size_t slash = path.rfind('/');
    if (!MatchesFramesMask(path.substr(slash + 1), mask)) return;
    FrameSet& set = sets[slash == std::string::npos ? "" : path.substr(0, slash)];
    ++set.count;
    if (link) set.links.push_back(path);
  };
  for (const DatasetFile& file : listing.files) count(file.path, false);
  for (const std::string& link : listing.links) count(link, true);
  std::vector<FrameSet> found;
  for (auto& [folder, set] : sets) {
    set.folder = folder;
    if (set.count >= 2) found.push_back(std::move(set));
  }
  return found;
}

std::string LinkNotFollowed(const std::string& path) {
  return Escaped(path) + ": symbolic link, not followed";
}

bool IsTemporaryManifest(const std::string& path) {
  const std::string start = std::string(".") + kManifestName + ".";
  return path.size() == start.size() + 6 && path.compare(0, start.size(), start) == 0;
}

bool IsHklFile(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.size() - dot != 4) return false;
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(c | 0x20);
  return extension == ".hkl";
}

// Only this spelling: the DYN digest covers the reflection loop of files named so, and
// the whole content of any other.
bool IsReflectionFile(const std::string& path) {
  return EndsWith(path, ".cif_od");
}

std::string JoinPath(const std::string& folder, const std::string& path) {
  if (folder.empty()) return path;
  if (path.empty()) return folder;
  return folder + "/" + path;
}

Result<Done> InsideFolder(const std::string& canonicalRoot, const std::string& path) {
  if (path.empty()) return Refused("empty path");
  if (path[0] == '/') return Refused("absolute path");
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(start, end - start);
    if (name.empty() || name == "." || name == "..")
      return Refused("'" + (name.empty() ? std::string("//") : name) + "' in the path");
    start = end + 1;
  }
  // The last name may be anything, a link too: it is never followed (verify reads with
  // no link on the way), and a file turned into a link is a change to report.
  std::error_code error;
  const fs::path resolved =
      fs::weakly_canonical(fs::path(canonicalRoot) / fs::path(path).parent_path(), error);
  if (error) return Refused("cannot resolve the path: " + error.message());
  const std::string text = resolved.string();
  if (text.size() < canonicalRoot.size() || text.compare(0, canonicalRoot.size(), canonicalRoot) ||
      (text.size() > canonicalRoot.size() && canonicalRoot != "/" &&
       text[canonicalRoot.size()] != '/'))
    return Refused("a link leads out of the folder");
  return Result<Done>(Done());
}

}  // namespace zt7::dataset
