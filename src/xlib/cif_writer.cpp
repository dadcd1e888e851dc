// CIF output: every entry kind writes itself as lines; the loop layout is part of a digest.
#include <string>
#include <string_view>
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

// Starts a value of `length` characters (plus `extra`) on the current line after a blank
// when it fits, else on a new line holding one blank; true for the new line.
bool StartValue(TStrList& out, size_t length, size_t extra) {
  if (!out.IsEmpty() && length + CurrentLine(out).Length() + extra <= kLineWidth &&
      CurrentLine(out).raw()[0] != u';') {
    CurrentLine(out) << u' ';
    return false;
  }
  out.Add(vexstr(u" "));
  return true;
}

// Writes `v` after the name line (if any); returns the index of the line it started on.
size_t WriteValue(TStrList& out, const vexstr& v, bool quoted) {
  const bool multiLine = HasLineFeed(v);
  const bool fresh = StartValue(out, v.Length(), multiLine ? 7 : quoted ? 3 : 0);
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

// A text field as the reader gives it back: its text ends at the line break before the
// closing semicolon, so an empty last line is that end, not a line of its own (an empty
// field is ";" and ";"). Loop cells and list items keep the layout of WriteLines, which
// the loop digests cover.
void WriteField(const cetStringList& field, TStrList& out) {
  WriteCommentAndName(field, out);
  out.Add(vexstr(u";"));
  const TStrList& lines = field.GetLines();
  size_t count = lines.Count();
  if (count != 0 && lines[count - 1].IsEmpty()) --count;
  for (size_t i = 0; i < count; ++i) out.Add(lines[i]);
  out.Add(vexstr(u";"));
}

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

bool IsQuote(char16_t c) {
  return c == '\'' || c == '"';
}

// Whether a quote inside a quoted key would end it before its last character: one followed
// by white space or the colon, or two more after the opening one (a triple quote).
bool EndsEarly(const vexstr& key, char16_t quote) {
  const size_t n = key.Length();
  if (n >= 3 && key[1] == quote && key[2] == quote) return true;
  for (size_t i = 1; i + 2 < n; ++i)
    if (key[i] == quote &&
        (key[i + 1] == ' ' || key[i + 1] == '\t' || key[i + 1] == '\n' || key[i + 1] == ':'))
      return true;
  return false;
}

// A map key as the reader keeps it: the whole token, quotes included, so that it must be
// written as exactly that token. A quoted key goes as it is with the colon that ends it, or
// between triple quotes when a quote inside would end it early (the reader then gives the
// token its single quotes back); any other key goes as it is, followed by a blank.
void WriteKey(TStrList& out, const vexstr& key) {
  const size_t n = key.Length();
  vexstr text = key;
  if (n >= 2 && IsQuote(key[0]) && key[n - 1] == key[0]) {
    const char16_t q = key[0];
    const std::u16string triple(3, q);
    const std::u16string_view inner(key.raw() + 1, n - 2);
    if (EndsEarly(key, q) && !inner.empty() && inner.back() != q &&
        inner.find(triple) == inner.npos)
      text = vexstr(triple.c_str()) << vexstr(inner.data(), inner.size()) << triple.c_str();
    text << u':';
  }
  StartValue(out, text.Length(), 0);
  CurrentLine(out) << text;
  if (!key.IsEmpty() && key[0] == '#') out.Add(vexstr());  // a comment runs to the line end
}

// A comment read as a map's value, on a line of its own: the next key starts a new line.
void WriteMapComment(TStrList& out, const vexstr& text) {
  out.Add(vexstr(u"#") << text);
  out.Add(vexstr());
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
    const auto* list = entry.As<cetList>();
    const auto* map = entry.As<cetDict>();
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
      WriteKey(out, map->GetKey(i).GetStringValue());
      const ICifEntry& value = map->GetValue(i);
      if (value.Kind() == EntryKind::kComment)
        WriteMapComment(out, value.GetCommentText());
      else if (const auto* field = value.As<cetStringList>())
        WriteField(*field, out);
      else
        enter(value);
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

void cetTable::WriteCell(const Cell& cell, bool fieldsAsRead, TStrList& out) const {
  switch (KindOf(cell)) {
    case kObject:
      if (const ICifEntry* entry = objects_[cell.at].get()) {
        const auto* field = entry->As<cetStringList>();
        if (field && fieldsAsRead)
          WriteField(*field, out);
        else
          entry->WriteLines(out);
      }
      return;
    case kUnset:  // the caller left the cell unset: nothing to write
      return;
    default:
      WriteValue(out, ViewText(cell), KindOf(cell) == kQuotedView);
  }
}

void cetTable::WriteLines(TStrList& out) const {
  WriteLines([&out](const vexstr& line) { out.Add(line); });
}

// The header goes out only with the first row line: a loop whose rows write nothing
// writes nothing at all.
void cetTable::WriteLines(const LineSink& sink, bool fieldsAsRead) const {
  if (rowCount_ == 0) return;
  const size_t cols = columns_.Count();
  bool wroteRow = false;
  TStrList row;
  for (size_t r = 0; r < rowCount_; ++r) {
    bool writable = true;
    for (size_t c = 0; c < cols && writable; ++c) {
      const Cell cell = cells_.Get(r * cols + c);
      if (KindOf(cell) == kObject && objects_[cell.at] && !objects_[cell.at]->IsWritable())
        writable = false;
    }
    if (!writable) continue;
    row.Clear();
    for (size_t c = 0; c < cols; ++c) WriteCell(cells_.Get(r * cols + c), fieldsAsRead, row);
    if (row.IsEmpty()) continue;
    if (!wroteRow) {
      sink(vexstr(u"loop_"));
      for (const vexstr& column : columns_) sink(vexstr(u"  ") << column);
      wroteRow = true;
    }
    for (const vexstr& line : row) sink(line);
  }
  if (wroteRow) sink(vexstr());
}

void CifBlock::WriteLines(TStrList& out) const {
  WriteLines([&out](const vexstr& line) { out.Add(line); });
}

// Every entry starts on a line of its own, so each can be written apart from the others.
void CifBlock::WriteLines(const LineSink& sink) const {
  const vexstr& name = GetName();
  if (!name.IsEmpty()) sink(vexstr(parent_ ? u"save_" : u"data_") << name);
  TStrList lines;
  for (const Slot& slot : entries_) {
    if (const auto* loop = slot.entry->As<cetTable>()) {
      loop->WriteLines(sink, true);
      continue;
    }
    lines.Clear();
    if (const auto* field = slot.entry->As<cetStringList>())
      WriteField(*field, lines);
    else
      slot.entry->WriteLines(lines);
    for (const vexstr& line : lines) sink(line);
  }
  if (parent_ && !name.IsEmpty()) sink(vexstr(u"save_"));
}

TStrList& TCifDP::SaveToStrings(TStrList& out) const {
  SaveTo([&out](const vexstr& line) { out.Add(line); });
  return out;
}

void TCifDP::SaveTo(const LineSink& sink) const {
  for (const CifBlock& block : blocks_) block.WriteLines(sink);
}

}  // namespace cif_dp
