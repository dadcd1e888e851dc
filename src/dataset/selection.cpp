// The datasets one run works on.
#include "dataset/selection.h"

#include <algorithm>
#include <set>

#include "dataset/folder_list.h"
#include "dataset/manifest.h"
#include "sdl/sha256_text.h"

namespace zt7::dataset {

Result<Selection> SelectFolders(const std::vector<std::string>& folders,
                                const std::string* listText, const std::string& listName,
                                const Shard& shard) {
  std::vector<ListedFolder> all;
  for (const std::string& folder : folders) all.push_back({folder, ResolvedFolder(folder)});
  Selection selection;
  if (listText) {
    Result<FolderList> list = ParseFolderList(*listText, listName);
    if (!list.Ok()) return Result<Selection>(list.GetOutcome(), list.Reason());
    selection.notes = std::move(list.Value().notes);
    for (ListedFolder& folder : list.Value().folders)
      all.push_back({folder.resolved, folder.resolved});
  }
  if (all.empty()) return Result<Selection>(Outcome::kRefused, "no folder given");
  std::set<std::string> seen;
  for (const ListedFolder& folder : all) {
    // The list named each of its folders once: a second name comes from another source.
    if (!seen.insert(folder.resolved).second) {
      selection.notes.push_back("'" + Escaped(folder.given) + "' is named again: checked once");
      continue;
    }
    if (ShardOf(folder.resolved, shard.count) != shard.index) continue;
    selection.folders.push_back(folder.given);
    selection.resolved.push_back(folder.resolved);
  }
  std::string identity;  // sorted, so that a reordered list is the same list
  for (const std::string& folder : seen) identity += folder + "\n";
  selection.run.list = Sha256Hex(identity);
  selection.run.listed = seen.size();
  selection.run.shard = shard;
  return selection;
}

std::vector<Expectation> ExpectationsOf(const Selection& selection, const std::string& sha256,
                                        const std::map<std::string, std::string>* records) {
  std::vector<Expectation> expectations;
  if (sha256.empty() && !records) return expectations;
  for (const std::string& folder : selection.resolved) {
    Expectation expectation{true, sha256};
    if (records) {
      const auto record = records->find(folder);
      expectation.sha256 = record == records->end() ? "" : record->second;
    }
    std::transform(expectation.sha256.begin(), expectation.sha256.end(), expectation.sha256.begin(),
                   [](char c) { return c >= 'A' && c <= 'F' ? char(c - 'A' + 'a') : c; });
    expectations.push_back(expectation);
  }
  return expectations;
}

}  // namespace zt7::dataset
