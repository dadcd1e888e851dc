// Writing and reading the seal manifest.
#include "dataset/manifest.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <tuple>

#include "sdl/regular_file.h"
#include "sdl/sha256_text.h"

namespace zt7::dataset {
namespace {

constexpr char kHeaderStart[] = "# zt7util ";
// Manifests written since the manifest protects itself say so in their header, so that a
// deleted last line is seen as an edit, not taken for an older manifest.
constexpr char kHashedHeader[] = ", SHA-256 on its last line";
constexpr char kHashLine[] = "# sha256 ";
constexpr char kSeparator[] = "  ";
// Far above any real line; keeps a file of garbage from being taken in as one line.
constexpr size_t kLongestLine = 16384;
// About a hundred bytes a file: room for millions of files.
constexpr size_t kLargestManifest = size_t(1) << 30;

const ItemKind kKinds[] = {ItemKind::kFrames, ItemKind::kHkl, ItemKind::kDyn, ItemKind::kSha256,
                           ItemKind::kLink};

// Reads back what Escaped writes.
bool UnescapePath(const std::string& text, std::string& path) {
  static const std::string kNamed = "\\\\n\nr\rt\t";  // letter, then the byte it stands for
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      path += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    const size_t named = kNamed.find(text[i]);
    if (named != std::string::npos && named % 2 == 0) {
      path += kNamed[named + 1];
    } else if (i + 2 < text.size() && text[i] >= '0' && text[i] <= '3' && text[i + 1] >= '0' &&
               text[i + 1] <= '7' && text[i + 2] >= '0' && text[i + 2] <= '7') {
      path += char((text[i] - '0') << 6 | (text[i + 1] - '0') << 3 | (text[i + 2] - '0'));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

// SHA-256 is 64 hexadecimal digits; the module's digests are hexadecimal with a comma
// between two parts.
bool IsDigestText(ItemKind kind, const std::string& digest) {
  const bool sha256 = kind == ItemKind::kSha256 || kind == ItemKind::kLink;
  const bool shape = sha256 ? digest.size() == 64 : !digest.empty() && digest.size() <= 200;
  return shape && std::all_of(digest.begin(), digest.end(), [&](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c == ',' && !sha256);
         });
}

Result<ManifestItem> Fault(size_t line, const std::string& reason) {
  return Result<ManifestItem>(Outcome::kRefused, std::to_string(line) + ": " + reason,
                              ManifestItem{ItemKind::kSha256, "", "", line});
}

Result<ManifestItem> ParseItem(const std::string& line, size_t number) {
  const size_t first = line.find(kSeparator);
  const size_t second = first == std::string::npos ? first : line.find(kSeparator, first + 2);
  if (second == std::string::npos)
    return Fault(number, "expected KIND  DIGEST  PATH (two blanks between them)");
  const std::string name = line.substr(0, first);
  const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                 [&](ItemKind k) { return name == KindName(k); });
  if (kind == std::end(kKinds))
    return Fault(number, "unknown kind '" + name + "' (FRAMES, HKL, DYN, SHA256 or LINK)");
  ManifestItem item{*kind, line.substr(first + 2, second - first - 2), "", number};
  if (!IsDigestText(item.kind, item.digest))
    return Fault(number, "not a " + name + " digest: '" + item.digest + "'");
  if (!UnescapePath(line.substr(second + 2), item.path))
    return Fault(number, "a backslash in the path that is not \\\\, \\n, \\r, \\t or \\NNN");
  return item;
}

}  // namespace

const char* KindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::kFrames:
      return "FRAMES";
    case ItemKind::kHkl:
      return "HKL";
    case ItemKind::kDyn:
      return "DYN";
    case ItemKind::kLink:
      return "LINK";
    default:
      return "SHA256";
  }
}

std::string FramesFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string FramesMask(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

std::string FormatManifest(std::vector<ManifestItem> items, int keyVersion,
                           const std::string& utcTime) {
  std::sort(items.begin(), items.end(), [](const ManifestItem& a, const ManifestItem& b) {
    return std::tie(a.path, a.kind) < std::tie(b.path, b.kind);
  });
  std::string text = std::string(kHeaderStart) + "seal manifest, key version " +
                     std::to_string(keyVersion) + ", sealed " + utcTime + kHashedHeader + "\n";
  for (const ManifestItem& item : items)
    text +=
        KindName(item.kind) + (kSeparator + item.digest) + kSeparator + Escaped(item.path) + "\n";
  return text + kHashLine + Sha256Hex(text) + "\n";
}

std::string ManifestEdited(const std::string& text) {
  const bool hashed = text.substr(0, text.find('\n')).find(kHashedHeader) != std::string::npos;
  size_t last = text.size() > 1 ? text.rfind('\n', text.size() - 2) : std::string::npos;
  last = last == std::string::npos ? 0 : last + 1;
  const std::string line = text.substr(last);
  const bool hashLine = line.rfind(kHashLine, 0) == 0;
  const size_t other = text.find(std::string("\n") + kHashLine);
  if (other != std::string::npos && other + 1 != last)
    return "edited: a line follows its SHA-256 line";
  if (!hashLine)
    return hashed ? "edited: its last line, the SHA-256 of the lines above it, is gone" : "";
  const std::string stored = line.substr(sizeof kHashLine - 1, 64);
  if (line != kHashLine + stored + "\n" || stored != Sha256Hex(text.substr(0, last)))
    return "edited: its last line is not the SHA-256 of the lines above it";
  return "";
}

Result<std::vector<ManifestItem>> ParseManifest(const std::string& text) {
  using Items = Result<std::vector<ManifestItem>>;
  const auto fault = [](size_t line, const std::string& reason) {
    return Items(Outcome::kRefused, std::to_string(line) + ": " + reason);
  };
  std::vector<ManifestItem> items;
  std::set<std::pair<std::string, ItemKind>> seen;
  size_t number = 0;
  if (const std::string edited = ManifestEdited(text); !edited.empty())
    return Items(Outcome::kRefused, " " + edited);
  for (size_t start = 0; start < text.size(); ++number) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end - start > kLongestLine) return fault(number + 1, "line too long");
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 0) {
      if (line.rfind(kHeaderStart, 0) != 0)
        return fault(1, "not a zt7util seal manifest (no '# zt7util' header)");
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    Result<ManifestItem> item = ParseItem(line, number + 1);
    if (!item.Ok()) return Items(item.GetOutcome(), item.Reason());
    if (!seen.emplace(item.Value().path, item.Value().kind).second)
      return fault(number + 1, std::string("a second ") + KindName(item.Value().kind) +
                                   " item for '" + item.Value().path + "'");
    items.push_back(std::move(item.Value()));
  }
  if (number == 0) return fault(1, "empty manifest");
  return Items(std::move(items));
}

Result<std::string> ReadManifest(const std::string& path) {
  std::string text;
  // A link is not followed, whatever it points at: verify reads nothing through links.
  const zodu::FileFault fault = zodu::ReadRegularFile(path.c_str(), kLargestManifest, false, text);
  const std::string name = "'" + Escaped(path) + "'";
  const auto refused = [](std::string reason) {
    return Result<std::string>(Outcome::kRefused, std::move(reason));
  };
  switch (fault.kind) {
    case zodu::FileFault::kNone:
      return Result<std::string>(std::move(text));
    case zodu::FileFault::kSymbolicLink:
      return refused(name + " is a symbolic link, not read");
    case zodu::FileFault::kNotRegular:
      return refused(name + " is not a regular file");
    case zodu::FileFault::kTooLarge:
      return refused(name + " is too large for a manifest");
    default:
      return refused("cannot read " + name + ": " + std::strerror(fault.error));
  }
}

std::string Escaped(const std::string& path) {
  std::string text;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '\t') {
      text += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      const char octal[] = {'\\', char('0' + (byte >> 6)), char('0' + ((byte >> 3) & 7)),
                            char('0' + (byte & 7)), '\0'};
      text += octal;
    } else {
      text += c;
    }
  }
  return text;
}

}  // namespace zt7::dataset
