// CIF output: every entry kind writes itself as lines; the loop layout is part of a digest.
#include <vector>

#include "xlib/cifdp.h"

namespace cif_dp {
namespace {

constexpr size_t kLineWidth = 80;
constexpr size_t kNameWidth = 34;

vexstr& CurrentLine(TStrList& out) {
  return out[out.Count() - 1];
}

bool HasLineFeed(const vexstr& v) {
  return v.IndexOf(u'\n') >= 0;
}

// A quote followed by a blank or tab would end a quoted value early when read back.
bool HasClosingQuote(const vexstr& v, char16_t quote) {
  const size_t n = v.Length();
  for (size_t i = 0; i + 1 < n; ++i)
    if (v[i] == quote && (v[i + 1] == ' ' || v[i + 1] == '\t')) return true;
  return false;
}

// Writes `v` after the name line (if any); returns the index of the line it started on.
size_t WriteValue(TStrList& out, const vexstr& v, bool quoted) {
  const bool multiLine = HasLineFeed(v);
  const size_t extra = multiLine ? 7 : quoted ? 3 : 0;
  bool fresh = true;
  if (!out.IsEmpty() && v.Length() + CurrentLine(out).Length() + extra <= kLineWidth &&
      !CurrentLine(out).StartsFrom(vexstr(u";"))) {
    CurrentLine(out) << u' ';
    fresh = false;
  } else {
    out.Add(vexstr(u" "));
  }
  const size_t target = out.Count() - 1;
  if (!quoted) {
    CurrentLine(out) << (v.IsEmpty() ? vexstr(u"''") : v);
  } else if (multiLine) {
    CurrentLine(out) << u"'''" << v << u"'''";
  } else if (!HasClosingQuote(v, '\'')) {
    CurrentLine(out) << u'\'' << v << u'\'';
  } else if (!HasClosingQuote(v, '"')) {
    CurrentLine(out) << u'"' << v << u'"';
  } else {
    if (fresh)
      CurrentLine(out) = vexstr(u";");
    else
      out.Add(vexstr(u";"));
    out.Add(v.IsEmpty() || v[0] != ';' ? v : vexstr(u" ") << v);
    out.Add(vexstr(u";"));
  }
  return target;
}

void WriteCommentAndName(const ICifEntry& entry, TStrList& out) {
  if (entry.HasComment()) out.Add(vexstr(u"#") << entry.GetCommentText());
  if (entry.HasName()) out.Add(entry.GetName());
}

}  // namespace

void cetString::WriteLines(TStrList& out) const {
  if (HasName()) {
    vexstr line = GetName();
    do line << u' ';
    while (line.Length() < kNameWidth);
    out.Add(line);
  }
  const size_t target = WriteValue(out, value_, quoted_);
  if (HasComment()) out[target] << u" # " << GetCommentText();
}

void cetComment::WriteLines(TStrList& out) const {
  if (!GetCommentText().IsEmpty()) out.Add(vexstr(u"#") << GetCommentText());
}

void cetStringList::WriteLines(TStrList& out) const {
  WriteCommentAndName(*this, out);
  out.Add(vexstr(u";"));
  for (const vexstr& line : lines_) out.Add(line);
  out.Add(vexstr(u";"));
}

namespace {

// Opens a list or map: comment and name lines, then "[" or "{" (true), or the whole of an
// empty one (false).
bool OpenContainer(const ICifEntry& entry, bool isMap, size_t count, TStrList& out) {
  WriteCommentAndName(entry, out);
  if (count == 0) {
    const bool fits = !out.IsEmpty() && CurrentLine(out).Length() + 3 <= kLineWidth;
    if (isMap) {
      if (!fits) out.Add(vexstr());
      CurrentLine(out) << u" {}";
    } else if (fits) {
      CurrentLine(out) << u" []";
    } else {
      out.Add(vexstr(u"[]"));
    }
    return false;
  }
  if (!out.IsEmpty() && CurrentLine(out).Length() + 2 <= kLineWidth)
    CurrentLine(out) << u' ';
  else
    out.Add(isMap ? vexstr(u" ") : vexstr());
  CurrentLine(out) << (isMap ? u'{' : u'[');
  return true;
}

void CloseContainer(bool isMap, TStrList& out) {
  if (isMap) {
    if (CurrentLine(out).Length() + 1 > kLineWidth) out.Add(vexstr());
    CurrentLine(out) << u'}';
    return;
  }
  if (CurrentLine(out).Length() + 2 <= kLineWidth)
    CurrentLine(out) << u' ';
  else
    out.Add(vexstr());
  CurrentLine(out) << u']';
}

// Lists and maps inside lists and maps are written from a stack of open levels rather than
// by recursion, so that deep nesting cannot exhaust the stack.
void WriteNested(const ICifEntry& root, TStrList& out) {
  struct Open {
    const cetList* list;
    const cetDict* map;
    size_t next;
  };
  std::vector<Open> open;
  auto enter = [&](const ICifEntry& entry) {
    const auto* list = dynamic_cast<const cetList*>(&entry);
    const auto* map = dynamic_cast<const cetDict*>(&entry);
    if (!list && !map) {
      entry.WriteLines(out);
      return;
    }
    const size_t count = list ? list->Count() : map->Count();
    if (OpenContainer(entry, map != nullptr, count, out)) open.push_back(Open{list, map, 0});
  };
  enter(root);
  while (!open.empty()) {
    Open& level = open.back();
    const size_t count = level.list ? level.list->Count() : level.map->Count();
    if (level.next == count) {
      CloseContainer(level.map != nullptr, out);
      open.pop_back();
      continue;
    }
    const size_t i = level.next++;
    if (level.list) {
      enter((*level.list)[i]);  // may grow `open`: `level` is not used after this
    } else {
      const cetDict* map = level.map;
      map->GetKey(i).WriteLines(out);
      CurrentLine(out) << u':';
      enter(map->GetValue(i));
    }
  }
}

}  // namespace

void cetList::WriteLines(TStrList& out) const {
  WriteNested(*this, out);
}

void cetDict::WriteLines(TStrList& out) const {
  WriteNested(*this, out);
}

void cetTable::WriteCell(const Cell& cell, TStrList& out) const {
  switch (KindOf(cell)) {
    case kObject:
      if (const ICifEntry* entry = objects_[cell.at].get()) entry->WriteLines(out);
      return;
    case kUnset:  // the caller left the cell unset: nothing to write
      return;
    default:
      WriteValue(out, ViewText(cell), KindOf(cell) == kQuotedView);
  }
}

void cetTable::WriteLines(TStrList& out) const {
  if (rowCount_ == 0) return;
  TStrList local;
  local.Add(vexstr(u"loop_"));
  for (const vexstr& column : columns_) local.Add(vexstr(u"  ") << column);
  const size_t cols = columns_.Count();
  bool wroteRow = false;
  TStrList row;
  for (size_t r = 0; r < rowCount_; ++r) {
    bool writable = true;
    for (size_t c = 0; c < cols && writable; ++c) {
      const Cell& cell = cells_[r * cols + c];
      if (KindOf(cell) == kObject && objects_[cell.at] && !objects_[cell.at]->IsWritable())
        writable = false;
    }
    if (!writable) continue;
    row.Clear();
    for (size_t c = 0; c < cols; ++c) WriteCell(cells_[r * cols + c], row);
    for (vexstr& line : row) local.Add(std::move(line));
    wroteRow = wroteRow || !row.IsEmpty();
  }
  if (!wroteRow) return;
  for (vexstr& line : local) out.Add(std::move(line));
  out.Add(vexstr());
}

void CifBlock::WriteLines(TStrList& out) const {
  const vexstr& name = GetName();
  if (!name.IsEmpty()) out.Add(vexstr(parent_ ? u"save_" : u"data_") << name);
  for (const Slot& slot : entries_) slot.entry->WriteLines(out);
  if (parent_ && !name.IsEmpty()) out.Add(vexstr(u"save_"));
}

TStrList& TCifDP::SaveToStrings(TStrList& out) const {
  for (const CifBlock& block : blocks_) block.WriteLines(out);
  return out;
}

}  // namespace cif_dp
