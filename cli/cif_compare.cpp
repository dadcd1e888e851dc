// Where a CIF document written out and read back would differ from the one that was read.
#include "cif_compare.h"

#include <string_view>
#include <typeinfo>

#include "sdl/utf8_path.h"
#include "xlib/cifdp.h"

namespace zt7cli {
namespace {

using namespace cif_dp;

std::u16string_view View(const zodu::vexstr& text) {
  return {text.raw(), text.Length()};
}

bool SameName(const ICifEntry& a, const ICifEntry& b) {
  if (a.HasName() != b.HasName()) return false;
  return !a.HasName() || View(a.GetName()) == View(b.GetName());
}

bool SameComment(const ICifEntry& a, const ICifEntry& b) {
  if (a.HasComment() != b.HasComment()) return false;
  return !a.HasComment() ||
         View(a.GetCommentText().TrimWhiteChars()) == View(b.GetCommentText().TrimWhiteChars());
}

bool SameEntry(const ICifEntry& a, const ICifEntry& b);

// Cells are unset only in loops built by hand, never in loops read from text.
bool SameCell(const ICifEntry* a, const ICifEntry* b) {
  return a && b ? SameEntry(*a, *b) : a == b;
}

bool SameValue(const ICifEntry& a, const ICifEntry& b) {
  if (const auto* list = dynamic_cast<const cetList*>(&a)) {
    const auto& other = static_cast<const cetList&>(b);
    if (list->Count() != other.Count()) return false;
    for (size_t i = 0; i < list->Count(); ++i)
      if (!SameEntry((*list)[i], other[i])) return false;
    return true;
  }
  if (const auto* map = dynamic_cast<const cetDict*>(&a)) {
    const auto& other = static_cast<const cetDict&>(b);
    if (map->Count() != other.Count()) return false;
    for (size_t i = 0; i < map->Count(); ++i)
      if (!SameEntry(map->GetKey(i), other.GetKey(i)) ||
          !SameEntry(map->GetValue(i), other.GetValue(i)))
        return false;
    return true;
  }
  if (const auto* loop = dynamic_cast<const cetTable*>(&a)) {
    const auto& other = static_cast<const cetTable&>(b);
    if (loop->ColCount() != other.ColCount() || loop->RowCount() != other.RowCount()) return false;
    for (size_t column = 0; column < loop->ColCount(); ++column)
      if (View(loop->ColName(column)) != View(other.ColName(column))) return false;
    for (size_t row = 0; row < loop->RowCount(); ++row)
      for (size_t column = 0; column < loop->ColCount(); ++column)
        if (!SameCell(loop->Get(row, column), other.Get(row, column))) return false;
    return true;
  }
  if (const auto* lines = dynamic_cast<const cetStringList*>(&a)) {
    const auto& other = static_cast<const cetStringList&>(b);
    if (lines->Count() != other.Count()) return false;
    for (size_t i = 0; i < lines->Count(); ++i)
      if (View((*lines)[i]) != View(other[i])) return false;
    return true;
  }
  if (const auto* value = dynamic_cast<const cetString*>(&a)) {
    const auto& other = static_cast<const cetString&>(b);
    return value->IsQuoted() == other.IsQuoted() &&
           View(value->GetStringValue()) == View(other.GetStringValue());
  }
  return true;  // a comment: its text is its comment
}

bool SameEntry(const ICifEntry& a, const ICifEntry& b) {
  return typeid(a) == typeid(b) && SameName(a, b) && SameComment(a, b) && SameValue(a, b);
}

// `name` in single quotes, in UTF-8.
std::string Quoted(const zodu::vexstr& name) {
  const zodu::vexcstr bytes = zodu::PathToUtf8(name);
  std::string quoted(1, '\'');
  quoted.append(bytes.raw(), bytes.Length()).push_back('\'');
  return quoted;
}

std::string BlockLabel(const CifBlock& block) {
  return std::string(block.GetParent() ? "save frame " : "block ").append(Quoted(block.GetName()));
}

std::string EntryLabel(const CifBlock& block, size_t index) {
  const ICifEntry& entry = block.GetEntry(index);
  std::string label = BlockLabel(block) + ", entry " + std::to_string(index + 1);
  return entry.HasName() ? label + ' ' + Quoted(entry.GetName()) : label + " (a comment)";
}

bool SameParent(const CifBlock& a, const CifBlock& b) {
  if (!a.GetParent() || !b.GetParent()) return !a.GetParent() && !b.GetParent();
  return View(a.GetParent()->GetName()) == View(b.GetParent()->GetName());
}

}  // namespace

std::string FirstDifference(const TCifDP& before, const TCifDP& after) {
  if (before.GetVersion() != after.GetVersion()) return "the CIF version";
  for (size_t i = 0; i < before.Count() || i < after.Count(); ++i) {
    if (i >= before.Count()) return std::string("a new ").append(BlockLabel(after[i]));
    if (i >= after.Count()) return BlockLabel(before[i]);
    const CifBlock &a = before[i], &b = after[i];
    if (View(a.GetName()) != View(b.GetName()) || !SameParent(a, b)) return BlockLabel(a);
    for (size_t j = 0; j < a.Count() || j < b.Count(); ++j) {
      if (j >= a.Count()) return std::string("a new ").append(EntryLabel(b, j));
      if (j >= b.Count() || !SameEntry(a.GetEntry(j), b.GetEntry(j))) return EntryLabel(a, j);
    }
  }
  return "";
}

}  // namespace zt7cli
