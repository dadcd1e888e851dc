// Texts that name dataset folders one per line.
#include "dataset/folder_list.h"

#include <linux/limits.h>  // for PATH_MAX

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "dataset/manifest.h"

namespace zt7::dataset {
namespace {

namespace fs = std::filesystem;

// Calls `line(text, number)` for each line, numbered from 1, without its line end.
template <class Line>
void EachLine(const std::string& text, Line&& line) {
  size_t number = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string content = text.substr(start, end - start);
    if (!content.empty() && content.back() == '\r') content.pop_back();
    start = end + 1;
    if (!line(content, ++number)) return;
  }
}

}  // namespace

std::string ResolvedFolder(const std::string& folder) {
  std::error_code error;
  const fs::path absolute = fs::absolute(folder, error);
  if (error) return folder;
  fs::path resolved = fs::weakly_canonical(absolute, error);
  if (error) resolved = absolute.lexically_normal();
  std::string text = resolved.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool IsSha256Text(const std::string& text) {
  return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
         });
}

Result<FolderList> ParseFolderList(const std::string& text, const std::string& name) {
  FolderList list;
  std::string fault;
  std::map<std::string, size_t> lines;  // resolved path: the line that first named it
  EachLine(text, [&](const std::string& line, size_t number) {
    const std::string where = Escaped(name) + ":" + std::to_string(number) + ": ";
    if (line.find('\0') != std::string::npos) {
      fault = where + "a NUL byte: not a list of folders";
      return false;
    }
    if (line.size() >= PATH_MAX) {
      fault = where + "longer than any path";
      return false;
    }
    if (line.empty()) return true;
    ListedFolder folder{line, ResolvedFolder(line)};
    const auto [first, added] = lines.emplace(folder.resolved, number);
    if (added)
      list.folders.push_back(std::move(folder));
    else
      list.notes.push_back(where + "'" + Escaped(line) + "' is listed on line " +
                           std::to_string(first->second) + " already: checked once");
    return true;
  });
  if (!fault.empty()) return Result<FolderList>(Outcome::kRefused, fault);
  if (list.folders.empty())
    return Result<FolderList>(Outcome::kRefused, Escaped(name) + ": no folder listed");
  return list;
}

Result<std::map<std::string, std::string>> ParseExpectations(const std::string& text,
                                                             const std::string& name) {
  using Expected = Result<std::map<std::string, std::string>>;
  std::map<std::string, std::string> expected;
  std::string fault;
  EachLine(text, [&](const std::string& line, size_t number) {
    const std::string where = Escaped(name) + ":" + std::to_string(number) + ": ";
    const std::string sha = line.substr(0, 64);
    // Other lines (seal's summaries among them) are passed over: a folder whose line is
    // malformed has no value, and is refused when verified.
    if (!IsSha256Text(sha) || line.size() < 67 || line.compare(64, 2, "  ") != 0) return true;
    std::string lower = sha;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'F' ? char(c - 'A' + 'a') : c; });
    const auto [place, added] = expected.emplace(ResolvedFolder(line.substr(66)), lower);
    if (!added && place->second != lower) {
      fault = where + "a second SHA-256 for '" + Escaped(line.substr(66)) + "'";
      return false;
    }
    return true;
  });
  if (!fault.empty()) return Expected(Outcome::kRefused, fault);
  if (expected.empty())
    return Expected(Outcome::kRefused, Escaped(name) + ": no `SHA256  FOLDER` line");
  return Expected(std::move(expected));
}

}  // namespace zt7::dataset
