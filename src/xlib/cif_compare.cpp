// Where a CIF document written out and read back would differ from the one that was read.
#include "xlib/cif_compare.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "sdl/sha2.h"
#include "sdl/utf8_path.h"
#include "xlib/cifdp.h"

namespace zt7 {
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
  return entry.Kind() == EntryKind::kComment;
}

bool IsEmptyComment(const ICifEntry& entry) {
  return IsComment(entry) && CommentOf(entry).empty();
}

// The loop rows that one part of a summary covers.
constexpr size_t kRowsPerPart = 4096;

// Feeds what an entry says to SHA-256 in a form that two documents share exactly when
// they say the same: a tag for each kind, texts with their lengths, in UTF-16.
class Digester {
 public:
  void Tag(char tag) { sha_.Add(&tag, 1); }
  void Number(uint64_t n) { sha_.Add(&n, sizeof n); }
  void Text(std::u16string_view text) {
    Number(text.size());
    sha_.Add(text.data(), text.size() * sizeof(char16_t));
  }
  void Name(const ICifEntry& entry) {
    if (!entry.HasName()) return Tag('-');
    Tag('n');
    Text(View(entry.GetName()));
  }
  // A loop cell as an unnamed value would say it.
  void Cell(const cetTable::CellView& cell) {
    if (cell.entry) return Value(*cell.entry);
    if (!cell.view) return Tag('U');  // unset: only in loops built in code
    Tag('-');
    Tag(cell.quoted ? 'Q' : 'S');
    if (cell.wide.data()) return Text(cell.wide);
    wide_.assign(cell.narrow.begin(), cell.narrow.end());  // ASCII alone
    Text(wide_);
  }
  // A value; nested lists and tables from a stack rather than by recursion, so that deep
  // nesting cannot exhaust the stack.
  void Value(const ICifEntry& root) {
    std::vector<const ICifEntry*> pending{&root};
    while (!pending.empty()) {
      const ICifEntry& entry = *pending.back();
      pending.pop_back();
      Name(entry);
      switch (entry.Kind()) {
        case EntryKind::kList: {
          const auto& list = static_cast<const cetList&>(entry);
          std::vector<const ICifEntry*> kept;  // writing drops empty comments
          for (size_t i = 0; i < list.Count(); ++i)
            if (!IsEmptyComment(list[i])) kept.push_back(&list[i]);
          Tag('L');
          Number(kept.size());
          pending.insert(pending.end(), kept.rbegin(), kept.rend());
          break;
        }
        case EntryKind::kMap: {
          const auto& map = static_cast<const cetDict&>(entry);
          Tag('M');
          Number(map.Count());
          for (size_t i = map.Count(); i-- > 0;) {
            pending.push_back(&map.GetValue(i));
            pending.push_back(&map.GetKey(i));
          }
          break;
        }
        case EntryKind::kTextField: {
          const auto& field = static_cast<const cetStringList&>(entry);
          Tag('F');
          Number(field.Count());
          for (size_t i = 0; i < field.Count(); ++i) Text(View(field.GetLines()[i]));
          break;
        }
        case EntryKind::kValue: {
          const auto& value = static_cast<const cetString&>(entry);
          Tag(value.IsQuoted() ? 'Q' : 'S');
          Text(View(value.GetValue()));
          break;
        }
        case EntryKind::kComment:
          Tag('C');
          Text(CommentOf(entry));
          break;
        case EntryKind::kLoop:
        case EntryKind::kBlock:
          Tag('?');  // never a value
          break;
      }
    }
  }
  std::array<unsigned char, 32> Finish() {
    sha_.Finish();
    std::array<unsigned char, 32> digest;
    std::copy_n(sha_.GetDigest(), digest.size(), digest.begin());
    return digest;
  }

 private:
  zodu::SHA256 sha_;
  std::u16string wide_;
};

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

// Whether writing keeps the block: all but an unnamed data block that holds nothing but
// empty comments, which write nothing.
bool Kept(const CifBlock& block) {
  if (!block.GetName().IsEmpty() || block.GetParent()) return true;
  for (size_t i = 0; i < block.Count(); ++i)
    if (!IsEmptyComment(block.GetEntry(i))) return true;
  return false;
}

// A loop: its name and columns, then its rows a number at a time.
void AddLoop(CifSummary& summary, const std::string& label, const cetTable& loop) {
  Digester header;
  header.Tag('T');
  header.Name(loop);
  header.Number(loop.ColCount());
  for (size_t column = 0; column < loop.ColCount(); ++column)
    header.Text(View(loop.ColName(column)));
  header.Number(loop.RowCount());
  summary.parts.push_back({label, header.Finish()});
  for (size_t first = 0; first < loop.RowCount(); first += kRowsPerPart) {
    const size_t end = std::min(loop.RowCount(), first + kRowsPerPart);
    Digester rows;
    for (size_t row = first; row < end; ++row)
      for (size_t column = 0; column < loop.ColCount(); ++column) rows.Cell(loop.Peek(row, column));
    summary.parts.push_back(
        {label + ", rows " + std::to_string(first + 1) + " to " + std::to_string(end),
         rows.Finish()});
  }
}

}  // namespace

CifSummary Summarize(const TCifDP& document) {
  CifSummary summary;
  summary.version = document.GetVersion();
  for (size_t b = 0; b < document.Count(); ++b) {
    const CifBlock& block = document[b];
    if (!Kept(block)) continue;
    Digester heading;
    heading.Tag(block.GetParent() ? 'F' : 'B');
    heading.Text(View(block.GetName()));
    if (block.GetParent()) heading.Text(View(block.GetParent()->GetName()));
    summary.parts.push_back({BlockLabel(block), heading.Finish()});
    for (size_t i = 0; i < block.Count(); ++i) {
      const ICifEntry& entry = block.GetEntry(i);
      if (IsComment(entry)) continue;
      if (const auto* loop = entry.As<cetTable>()) {
        AddLoop(summary, EntryLabel(block, i), *loop);
        continue;
      }
      Digester item;
      item.Value(entry);
      summary.parts.push_back({EntryLabel(block, i), item.Finish()});
    }
    for (size_t i = 0; i < block.Count(); ++i) {
      const std::u16string_view comment = CommentOf(block.GetEntry(i));
      if (comment.empty()) continue;
      Digester text;
      text.Text(comment);
      summary.parts.push_back(
          {BlockLabel(block) + ", the comment " + Quoted(comment), text.Finish()});
    }
  }
  return summary;
}

std::string FirstDifference(const CifSummary& before, const CifSummary& after) {
  if (before.version != after.version) return "the CIF version";
  const auto &a = before.parts, &b = after.parts;
  for (size_t i = 0; i < a.size() || i < b.size(); ++i) {
    if (i >= a.size()) return "a new " + b[i].label;
    if (i >= b.size() || a[i].digest != b[i].digest) return a[i].label;
  }
  return "";
}

std::string FirstDifference(const TCifDP& before, const TCifDP& after) {
  return FirstDifference(Summarize(before), Summarize(after));
}

}  // namespace zt7
