// Texts that name dataset folders one per line: the list of an audit, and the manifest
// SHA-256 values that a keeper stored away from the archive.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "sdl/result.h"

namespace zt7::dataset {

// The most a list or a file of expected values may hold: 256 MiB, millions of folders.
inline constexpr size_t kLargestList = size_t(1) << 28;

struct ListedFolder {
  std::string given;     // the line, as written
  std::string resolved;  // absolute, links resolved as far as the path exists
};

struct FolderList {
  std::vector<ListedFolder> folders;  // in the list's order, each resolved path once
  std::vector<std::string> notes;     // folders listed again
};

// `folder` made absolute from the current folder, "." and ".." removed and links resolved
// as far as the path exists: the same folder gives the same text however it is named.
std::string ResolvedFolder(const std::string& folder);

// One folder per line; relative ones are taken from the current folder. Blank lines are
// skipped and a carriage return before the line feed is dropped; every other byte belongs
// to the name. A folder listed twice (by its resolved path) is kept once, with a note.
// Refused, naming `name` and the line, for a NUL byte, a line longer than a path can be,
// or a list with no folder at all.
Result<FolderList> ParseFolderList(const std::string& text, const std::string& name);

// Lines "SHA256  FOLDER" (as sha256sum writes them, and as seal prints them; lines of any
// other shape are passed over): the expected SHA-256 by resolved folder. Refused, naming
// `name` and the line, for a folder given two values, or when no line has the shape.
Result<std::map<std::string, std::string>> ParseExpectations(const std::string& text,
                                                             const std::string& name);

// Whether `text` is 64 hexadecimal digits (either case).
bool IsSha256Text(const std::string& text);

}  // namespace zt7::dataset
