// CIF blocks and the document's list of blocks: adding entries and blocks, lookups, copies.
#include "xlib/cif_log.h"
#include "xlib/cif_site.h"
#include "xlib/cifdp.h"

namespace cif_dp {

CifBlock::CifBlock(const vexstr& name, CifBlock* parent) : parent_(parent) {
  SetName(name);
}

CifBlock::CifBlock(const CifBlock& other)
    : ICifEntry(other), index_(other.index_), parent_(other.parent_) {
  entries_.reserve(other.entries_.size());
  for (const Slot& slot : other.entries_) {
    ICifEntry* copy = slot.entry->Replicate();
    entries_.push_back(Slot{slot.name, std::unique_ptr<ICifEntry>(copy)});
  }
  // The loop map points at the copies of what the original's map points at.
  for (const auto& [name, table] : other.tables_)
    tables_.emplace(name, static_cast<cetTable*>(entries_[FindSlot(name)].entry.get()));
}

vexstr CifBlock::GetStringValue() const {
  throw zodu::TNotImplementedException(CIF_LOCATION);
}

void CifBlock::Tidy() {
  for (Slot& slot : entries_) slot.entry->Tidy();
}

// A loop that meets an entry of its name (either way round) no longer replaces it: the
// earlier one stays in the entries, the later one is appended and the maps find it, since
// two loops named alike by the naming rule are common and replacing one lost data.
ICifEntry& CifBlock::Add(ICifEntry* entry) {
  return Add(std::unique_ptr<ICifEntry>(entry));
}

ICifEntry& CifBlock::Add(std::unique_ptr<ICifEntry> owned, CifFindings* findings) {
  ICifEntry* entry = owned.get();
  if (!entry->HasName() || entry->GetName().IsEmpty()) {
    if (entry->Kind() != EntryKind::kComment)
      throw zodu::TInvalidArgumentException(CIF_LOCATION, vexstr(u"name"));
    Append(vexstr(), std::move(owned));
    return *entry;
  }
  const vexstr& name = entry->GetName();
  const bool loop = entry->Kind() == EntryKind::kLoop;
  const size_t found = FindSlot(name);
  if (found != NameIndex::npos) {
    const bool wasLoop = entries_[found].entry->Kind() == EntryKind::kLoop;
    if (wasLoop && !loop) {
      tables_.erase(name);
      LogLine(findings, zodu::kLogWarning, vexstr(u"Changing table type for ") << name);
    } else if (loop) {
      tables_.insert_or_assign(name, static_cast<cetTable*>(entry));
    }
    if (wasLoop || loop)
      Append(name, std::move(owned));
    else
      entries_[found] = Slot{name, std::move(owned)};
    return *entry;
  }
  if (loop) tables_.emplace(name, static_cast<cetTable*>(entry));
  Append(name, std::move(owned));
  return *entry;
}

size_t CifBlock::FindSlot(const vexstr& name) const {
  // Comments sit in unnamed slots, which no name finds.
  if (name.IsEmpty()) return NameIndex::npos;
  return index_.Find(name, entries_.size(),
                     [this](size_t i) -> const vexstr& { return entries_[i].name; });
}

void CifBlock::Append(const vexstr& name, std::unique_ptr<ICifEntry> entry) {
  entries_.push_back(Slot{name, std::move(entry)});
  index_.Appended(entries_.size(), [this](size_t i) -> const vexstr& { return entries_[i].name; });
}

const ICifEntry* CifBlock::FindEntry(const vexstr& name) const {
  const size_t slot = FindSlot(name);
  return slot == NameIndex::npos ? nullptr : entries_[slot].entry.get();
}

ICifEntry* CifBlock::FindEntry(const vexstr& name) {
  return const_cast<ICifEntry*>(std::as_const(*this).FindEntry(name));
}

const cetTable* CifBlock::FindTable(const vexstr& name, const cetTable* missing) const {
  auto found = tables_.find(name);
  return found == tables_.end() ? missing : found->second;
}

cetTable* CifBlock::FindTable(const vexstr& name, cetTable* missing) {
  return const_cast<cetTable*>(std::as_const(*this).FindTable(name, missing));
}

const CifBlock* TCifDP::FindBlock(const vexstr& name) const {
  const size_t found = blockIndex_.Find(name, blocks_.Count(), BlockName());
  return found == NameIndex::npos ? nullptr : &blocks_[found];
}

CifBlock* TCifDP::FindBlock(const vexstr& name) {
  return const_cast<CifBlock*>(std::as_const(*this).FindBlock(name));
}

CifBlock& TCifDP::AddBlock(const vexstr& name, CifBlock* parent) {
  if (CifBlock* found = FindBlock(name)) return *found;
  CifBlock& block = blocks_.Add(new CifBlock(name, parent));
  blockIndex_.Appended(blocks_.Count(), BlockName());
  return block;
}

void TCifDP::Clear() {
  blockIndex_.Clear();
  blocks_.Clear();
  lastNumbers_.clear();
}

vexstr TCifDP::FreeBlockName(const vexstr& name, CifFindings* findings) {
  if (!FindBlock(name)) return name;
  LogLine(findings, zodu::kLogError,
          vexstr(u"Duplicate CIF data name '") << name << u"'" << u" auto renaming...");
  unsigned& last = lastNumbers_.emplace(name, 0).first->second;
  vexstr candidate;
  do {
    candidate = vexstr(name) << ++last;
  } while (FindBlock(candidate));
  LogLine(findings, zodu::kLogInformation, vexstr(u"New name: ") << candidate);
  return candidate;
}

// Only ever to a free name, so the index finds every block as before; it is built again
// since it places names by their hash.
void TCifDP::Rename(CifBlock& block, const vexstr& name) {
  block.SetName(name);
  blockIndex_.Clear();
  for (size_t count = 1; count <= blocks_.Count(); ++count)
    blockIndex_.Appended(count, BlockName());
}

}  // namespace cif_dp
