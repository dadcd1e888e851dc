// A file that moved inside a dataset.
#include "dataset/moves.h"

#include <map>
#include <queue>

namespace zt7::dataset {
namespace {

const ItemCheck* Sha256Item(const EntryCheck& entry) {
  for (const ItemCheck& item : entry.items)
    if (item.kind == ItemKind::kSha256) return &item;
  return nullptr;
}

}  // namespace

void FoldMoves(std::vector<EntryCheck>& entries) {
  std::map<std::string, std::queue<size_t>> missing;  // by SHA-256, in path order
  for (size_t i = 0; i < entries.size(); ++i) {
    const ItemCheck* sha = Sha256Item(entries[i]);
    if (entries[i].status == Status::kMissing && sha) missing[sha->expected].push(i);
  }
  std::vector<bool> gone(entries.size());
  for (EntryCheck& entry : entries) {
    const ItemCheck* sha = Sha256Item(entry);
    if (entry.status != Status::kNew || !sha || sha->found.empty()) continue;
    const auto match = missing.find(sha->found);
    if (match == missing.end() || match->second.empty()) continue;
    const size_t old = match->second.front();
    match->second.pop();
    gone[old] = true;
    const std::string found = sha->found;
    entry.status = Status::kMoved;
    entry.reason = "from " + entries[old].path;
    entry.items = entries[old].items;
    // The same bytes: every digest of the old path holds for them.
    for (ItemCheck& item : entry.items)
      item.found = item.kind == ItemKind::kSha256 ? found : item.expected;
  }
  std::vector<EntryCheck> kept;
  for (size_t i = 0; i < entries.size(); ++i)
    if (!gone[i]) kept.push_back(std::move(entries[i]));
  entries = std::move(kept);
}

}  // namespace zt7::dataset
