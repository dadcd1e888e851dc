// CIF blocks and the document's list of blocks: adding entries and blocks, lookups, copies.
#include <typeinfo>

#include "sdl/bapp.h"
#include "xlib/cif_site.h"
#include "xlib/cifdp.h"

namespace cif_dp {

CifBlock::CifBlock(const vexstr& name, CifBlock* parent) : parent_(parent) {
  SetName(name);
}

CifBlock::CifBlock(const CifBlock& other) : ICifEntry(other), parent_(other.parent_) {
  entries_.reserve(other.entries_.size());
  for (const Slot& slot : other.entries_) {
    ICifEntry* copy = slot.entry->Replicate();
    entries_.push_back(Slot{slot.name, std::unique_ptr<ICifEntry>(copy)});
  }
  // The maps point at the copies of what the original's maps point at.
  for (const auto& item : other.items_) {
    ICifEntry* copy = entries_[item.value.slot].entry.get();
    items_.Add(item.key, Item{copy, item.value.slot});
  }
  for (const auto& table : other.tables_) {
    const Item* item = items_.Find(table.key);
    tables_.Add(table.key, static_cast<cetTable*>(item->entry));
  }
}

vexstr CifBlock::GetStringValue() const {
  throw zodu::TNotImplementedException(CIF_LOCATION);
}

void CifBlock::Tidy() {
  for (Slot& slot : entries_) slot.entry->Tidy();
}

namespace {
bool IsLoop(const ICifEntry& entry) {
  return typeid(entry) == typeid(cetTable);
}
}  // namespace

// A loop that meets an entry of its name (either way round) no longer replaces it: the
// earlier one stays in the entries, the later one is appended and the maps find it, since
// two loops named alike by the naming rule are common and replacing one lost data.
ICifEntry& CifBlock::Add(ICifEntry* entry) {
  std::unique_ptr<ICifEntry> owned(entry);
  if (!entry->HasName() || entry->GetName().IsEmpty()) {
    if (typeid(*entry) != typeid(cetComment))
      throw zodu::TInvalidArgumentException(CIF_LOCATION, vexstr(u"name"));
    entries_.push_back(Slot{vexstr(), std::move(owned)});
    return *entry;
  }
  const vexstr& name = entry->GetName();
  const bool loop = IsLoop(*entry);
  if (Item* item = items_.Find(name)) {
    const bool wasLoop = tables_.HasKey(name);
    if (wasLoop && !loop) {
      tables_.Remove(name);
      if (zodu::TBasicApp::HasInstance())
        zodu::TBasicApp::NewLogEntry(4) << u"Changing table type for " << name;
    } else if (loop) {
      tables_.Add(name, static_cast<cetTable*>(entry), true);
    }
    if (wasLoop || loop) {
      *item = Item{entry, entries_.size()};
      entries_.push_back(Slot{name, std::move(owned)});
    } else {
      entries_[item->slot] = Slot{name, std::move(owned)};
      item->entry = entry;
    }
    return *entry;
  }
  items_.Add(name, Item{entry, entries_.size()});
  if (loop) tables_.Add(name, static_cast<cetTable*>(entry));
  entries_.push_back(Slot{name, std::move(owned)});
  return *entry;
}

ICifEntry* CifBlock::FindEntry(const vexstr& name) const {
  const Item* item = items_.Find(name);
  return item ? item->entry : nullptr;
}

cetTable* CifBlock::FindTable(const vexstr& name, cetTable* missing) const {
  cetTable* const* table = tables_.Find(name);
  return table ? *table : missing;
}

CifBlock* TCifDP::FindBlock(const vexstr& name) const {
  CifBlock* const* block = blockMap_.Find(name);
  return block ? *block : nullptr;
}

CifBlock& TCifDP::AddBlock(const vexstr& name, CifBlock* parent) {
  if (CifBlock* existing = FindBlock(name)) return *existing;
  CifBlock& block = blocks_.Add(new CifBlock(name, parent));
  blockMap_.Add(name, &block);
  return block;
}

void TCifDP::Clear() {
  blockMap_.Clear();
  blocks_.Clear();
  lastNumbers_.Clear();
}

vexstr TCifDP::FreeBlockName(const vexstr& name) {
  if (!blockMap_.HasKey(name)) return name;
  if (zodu::TBasicApp::HasInstance())
    zodu::TBasicApp::NewLogEntry(5)
        << u"Duplicate CIF data name '" << name << u"'" << u" auto renaming...";
  unsigned& last = lastNumbers_.Add(name, 0);
  vexstr candidate;
  do {
    candidate = vexstr(name) << ++last;
  } while (blockMap_.HasKey(candidate));
  if (zodu::TBasicApp::HasInstance()) zodu::TBasicApp::NewLogEntry(3) << u"New name: " << candidate;
  return candidate;
}

void TCifDP::Rename(CifBlock& block, const vexstr& name) {
  blockMap_.Remove(block.GetName());
  block.SetName(name);
  blockMap_.Add(name, &block);
}

}  // namespace cif_dp
