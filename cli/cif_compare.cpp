// Where a CIF document written out and read back would differ from the one that was read.
#include "cif_compare.h"

#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include "sdl/utf8_path.h"
#include "xlib/cifdp.h"

namespace zt7cli {
namespace {

using namespace cif_dp;

std::u16string_view View(const zodu::vexstr& text) {
  return {text.raw(), text.Length()};
}

std::u16string_view Trimmed(std::u16string_view text) {
  const size_t first = text.find_first_not_of(u" \t");
  if (first == text.npos) return {};
  return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

// The comment an entry holds, as compared: a comment entry's text or an item's comment,
// without the blanks around it; empty for none.
std::u16string_view CommentOf(const ICifEntry& entry) {
  return entry.HasComment() ? Trimmed(View(entry.GetCommentText())) : std::u16string_view();
}

bool IsComment(const ICifEntry& entry) {
  return typeid(entry) == typeid(cetComment);
}

bool IsEmptyComment(const ICifEntry& entry) {
  return IsComment(entry) && CommentOf(entry).empty();
}

bool SameName(const ICifEntry& a, const ICifEntry& b) {
  if (a.HasName() != b.HasName()) return false;
  return !a.HasName() || View(a.GetName()) == View(b.GetName());
}

using Pairs = std::vector<std::pair<const ICifEntry*, const ICifEntry*>>;

// The text of a view cell, widened into `buffer` when the loop views 8-bit text.
std::u16string_view Text(const cetTable::CellView& view, std::u16string& buffer) {
  if (view.wide.data()) return view.wide;
  buffer.assign(view.narrow.begin(), view.narrow.end());
  return buffer;
}

// A loop cell held as text against one held as an entry (cells built in code).
bool SameAsText(const ICifEntry& entry, const cetTable::CellView& view) {
  const auto* value = dynamic_cast<const cetString*>(&entry);
  std::u16string buffer;
  return value && typeid(*value) == typeid(cetString) && !value->HasName() &&
         !value->HasComment() && value->IsQuoted() == view.quoted &&
         View(value->GetValue()) == Text(view, buffer);
}

// Compares two cells; entries inside them are left in `pending`.
bool SameCell(const cetTable::CellView& a, const cetTable::CellView& b, Pairs& pending) {
  if (a.entry && b.entry) {
    pending.emplace_back(a.entry, b.entry);
    return true;
  }
  if (a.entry) return b.view && SameAsText(*a.entry, b);
  if (b.entry) return a.view && SameAsText(*b.entry, a);
  if (!a.view || !b.view) return a.view == b.view;  // unset
  if (a.quoted != b.quoted) return false;
  if (a.narrow.data() && b.narrow.data()) return a.narrow == b.narrow;
  std::u16string x, y;
  return Text(a, x) == Text(b, y);
}

// The items of a list that writing keeps: all but empty comments.
std::vector<const ICifEntry*> KeptItems(const cetList& list) {
  std::vector<const ICifEntry*> items;
  for (size_t i = 0; i < list.Count(); ++i)
    if (!IsEmptyComment(list[i])) items.push_back(&list[i]);
  return items;
}

// Compares what `a` and `b` hold themselves; the entries inside them are left in `pending`.
bool SameLevel(const ICifEntry& a, const ICifEntry& b, Pairs& pending) {
  if (typeid(a) != typeid(b) || !SameName(a, b)) return false;
  if (const auto* list = dynamic_cast<const cetList*>(&a)) {
    const std::vector<const ICifEntry*> x = KeptItems(*list),
                                        y = KeptItems(static_cast<const cetList&>(b));
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i) pending.emplace_back(x[i], y[i]);
    return true;
  }
  if (const auto* map = dynamic_cast<const cetDict*>(&a)) {
    const auto& other = static_cast<const cetDict&>(b);
    if (map->Count() != other.Count()) return false;
    for (size_t i = 0; i < map->Count(); ++i) {
      pending.emplace_back(&map->GetKey(i), &other.GetKey(i));
      pending.emplace_back(&map->GetValue(i), &other.GetValue(i));
    }
    return true;
  }
  if (const auto* loop = dynamic_cast<const cetTable*>(&a)) {
    const auto& other = static_cast<const cetTable&>(b);
    if (loop->ColCount() != other.ColCount() || loop->RowCount() != other.RowCount()) return false;
    for (size_t column = 0; column < loop->ColCount(); ++column)
      if (View(loop->ColName(column)) != View(other.ColName(column))) return false;
    for (size_t row = 0; row < loop->RowCount(); ++row)
      for (size_t column = 0; column < loop->ColCount(); ++column)
        if (!SameCell(loop->Peek(row, column), other.Peek(row, column), pending)) return false;
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
           View(value->GetValue()) == View(other.GetValue());
  }
  return CommentOf(a) == CommentOf(b);  // a comment inside a list or map
}

// Nested lists and maps are compared from a list of pending pairs rather than by recursion,
// so that deep nesting cannot exhaust the stack.
bool SameEntry(const ICifEntry& a, const ICifEntry& b) {
  Pairs pending{{&a, &b}};
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    if (!SameLevel(*x, *y, pending)) return false;
  }
  return true;
}

// `name` in single quotes, in UTF-8.
std::string Quoted(std::u16string_view name) {
  const zodu::vexcstr bytes = zodu::PathToUtf8(zodu::vexstr(name.data(), name.size()));
  std::string quoted(1, '\'');
  quoted.append(bytes.raw(), bytes.Length()).push_back('\'');
  return quoted;
}

std::string BlockLabel(const CifBlock& block) {
  return std::string(block.GetParent() ? "save frame " : "block ")
      .append(Quoted(View(block.GetName())));
}

std::string EntryLabel(const CifBlock& block, size_t index) {
  const ICifEntry& entry = block.GetEntry(index);
  std::string label = BlockLabel(block) + ", entry " + std::to_string(index + 1);
  return entry.HasName() ? label + ' ' + Quoted(View(entry.GetName())) : label;
}

bool SameParent(const CifBlock& a, const CifBlock& b) {
  if (!a.GetParent() || !b.GetParent()) return !a.GetParent() && !b.GetParent();
  return View(a.GetParent()->GetName()) == View(b.GetParent()->GetName());
}

// The next entry from `i` on that `take` accepts, or the block's count.
template <class Take>
size_t Next(const CifBlock& block, size_t i, Take take) {
  while (i < block.Count() && !take(block.GetEntry(i))) ++i;
  return i;
}

std::string BlockDifference(const CifBlock& a, const CifBlock& b) {
  const auto isData = [](const ICifEntry& entry) { return !IsComment(entry); };
  for (size_t i = Next(a, 0, isData), j = Next(b, 0, isData);;
       i = Next(a, i + 1, isData), j = Next(b, j + 1, isData)) {
    if (i == a.Count() && j == b.Count()) break;
    if (i == a.Count()) return "a new " + EntryLabel(b, j);
    if (j == b.Count() || !SameEntry(a.GetEntry(i), b.GetEntry(j))) return EntryLabel(a, i);
  }
  const auto hasComment = [](const ICifEntry& entry) { return !CommentOf(entry).empty(); };
  for (size_t i = Next(a, 0, hasComment), j = Next(b, 0, hasComment);;
       i = Next(a, i + 1, hasComment), j = Next(b, j + 1, hasComment)) {
    if (i == a.Count() && j == b.Count()) break;
    if (i == a.Count())
      return BlockLabel(b) + ", a new comment " + Quoted(CommentOf(b.GetEntry(j)));
    const std::u16string_view comment = CommentOf(a.GetEntry(i));
    if (j == b.Count() || comment != CommentOf(b.GetEntry(j)))
      return BlockLabel(a) + ", the comment " + Quoted(comment);
  }
  return "";
}

// The blocks that writing keeps: all but an unnamed data block that holds nothing but
// empty comments, which write nothing.
std::vector<const CifBlock*> KeptBlocks(const TCifDP& document) {
  std::vector<const CifBlock*> blocks;
  for (size_t i = 0; i < document.Count(); ++i) {
    const CifBlock& block = document[i];
    if (block.GetName().IsEmpty() && !block.GetParent() &&
        Next(block, 0, [](const ICifEntry& e) { return !IsEmptyComment(e); }) == block.Count())
      continue;
    blocks.push_back(&block);
  }
  return blocks;
}

}  // namespace

std::string FirstDifference(const TCifDP& before, const TCifDP& after) {
  if (before.GetVersion() != after.GetVersion()) return "the CIF version";
  const std::vector<const CifBlock*> a = KeptBlocks(before), b = KeptBlocks(after);
  for (size_t i = 0; i < a.size() || i < b.size(); ++i) {
    if (i >= a.size()) return "a new " + BlockLabel(*b[i]);
    if (i >= b.size()) return BlockLabel(*a[i]);
    if (View(a[i]->GetName()) != View(b[i]->GetName()) || !SameParent(*a[i], *b[i]))
      return BlockLabel(*a[i]);
    if (std::string difference = BlockDifference(*a[i], *b[i]); !difference.empty())
      return difference;
  }
  return "";
}

}  // namespace zt7cli
