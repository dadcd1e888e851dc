// The seal manifest: a header line, then one `KIND  DIGEST  PATH` line per item.
#pragma once

#include <string>
#include <vector>

#include "sdl/result.h"

namespace zt7::dataset {

// What an item's digest covers. kLink: a frame that is a symbolic link, by the SHA-256 of
// its target, which the frames digest reads.
enum class ItemKind { kFrames, kHkl, kDyn, kSha256, kLink };

const char* KindName(ItemKind kind);

struct ManifestItem {
  ItemKind kind;
  std::string digest;
  // Relative to the dataset folder; for frames the folder, "/" and the mask ("*.img" for
  // frames in the dataset folder itself).
  std::string path;
  size_t line = 0;  // where a manifest read from a file has it, from 1
};

// The frames item path's two halves: folder ("" for the dataset folder) and mask.
std::string FramesFolder(const std::string& path);
std::string FramesMask(const std::string& path);

// The whole manifest text: the header with the module and key versions and `utcTime`
// (ISO 8601), then the items sorted by path and kind, and last "# sha256 HEX", the SHA-256
// of the lines above it.
std::string FormatManifest(std::vector<ManifestItem> items, int keyVersion,
                           const std::string& utcTime);

// Why the manifest text was changed since it was written ("edited: ..."), or "" when its
// last line is the SHA-256 of the lines above it, or when it was written before manifests
// held one (no such line, and a header that does not promise one).
std::string ManifestEdited(const std::string& text);

// The items of a manifest text; refused with "LINE: reason" for the first line at fault,
// or " edited: ..." as ManifestEdited says.
Result<std::vector<ManifestItem>> ParseManifest(const std::string& text);

// The text of the manifest file at `path`, refusing anything but a regular file of
// reasonable size (a symbolic link is not followed).
Result<std::string> ReadManifest(const std::string& path);

// `path` as the manifest and the reports write it, `ls -b` style, so that a name is one
// line and cannot command a terminal: backslash as \\, line feed, carriage return and tab
// as \n, \r, \t, every other byte below 0x20 and 0x7f in octal (\033).
std::string Escaped(const std::string& path);

}  // namespace zt7::dataset
