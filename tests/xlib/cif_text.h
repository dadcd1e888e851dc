// Test helpers: CIF documents from ASCII text, and a one-line picture of a document.
#pragma once

#include <string>

#include "support/temp_folder.h"
#include "xlib/cifdp.h"

namespace cif_test {

using cif_dp::ICifEntry;
using zodu::testing::U8;
using zodu::testing::W;

// A value: plain as it is, quoted in <>, a text field as ;line|line;, lists as [a,b],
// maps as {k:v,...}, a comment as #text, a loop as "loop NAME(COLUMNS):cell,cell/row...".
inline std::string Picture(const ICifEntry& e);

inline std::string Picture(const cif_dp::cetTable::CellView& cell) {
  if (cell.entry || !cell.view) return cell.entry ? Picture(*cell.entry) : "?";
  const std::string text = cell.wide.data() ? U8(zodu::vexstr(cell.wide.data(), cell.wide.size()))
                                            : std::string(cell.narrow);
  return cell.quoted ? "<" + text + ">" : text;
}

inline std::string Picture(const ICifEntry& e) {
  std::string out;
  if (auto* s = e.As<cif_dp::cetString>())
    return s->IsQuoted() ? "<" + U8(s->GetValue()) + ">" : U8(s->GetValue());
  if (auto* c = e.As<cif_dp::cetComment>()) return "#" + U8(c->GetComment());
  if (auto* f = e.As<cif_dp::cetStringList>()) {
    for (size_t i = 0; i < f->Count(); ++i) out += (i ? "|" : "") + U8((*f)[i]);
    return ";" + out + ";";
  }
  if (auto* l = e.As<cif_dp::cetList>()) {
    for (size_t i = 0; i < l->Count(); ++i) out += (i ? "," : "") + Picture((*l)[i]);
    return "[" + out + "]";
  }
  if (auto* d = e.As<cif_dp::cetDict>()) {
    for (size_t i = 0; i < d->Count(); ++i)
      out += (i ? "," : "") + Picture(d->GetKey(i)) + ":" + Picture(d->GetValue(i));
    return "{" + out + "}";
  }
  auto* t = e.As<cif_dp::cetTable>();
  if (!t) return "?";
  for (size_t c = 0; c < t->ColCount(); ++c) out += (c ? "," : "") + U8(t->ColName(c));
  out = "loop " + U8(t->GetName()) + "(" + out + "):";
  for (size_t r = 0; r < t->RowCount(); ++r)
    for (size_t c = 0; c < t->ColCount(); ++c)
      out += (c ? "," : r ? "/" : "") + Picture(t->Peek(r, c));
  return out;
}

// Blocks as "[name]" (frames "[name<parent]"), then their entries: "name=value",
// " #comment" after an item's value, comments and loops as Picture draws them.
inline std::string Picture(const cif_dp::TCifDP& doc) {
  std::string out;
  for (size_t b = 0; b < doc.Count(); ++b) {
    const cif_dp::CifBlock& block = doc[b];
    out += (b ? " [" : "[") + U8(block.GetName());
    if (block.GetParent()) out += "<" + U8(block.GetParent()->GetName());
    out += "]";
    for (size_t i = 0; i < block.Count(); ++i) {
      const ICifEntry& e = block.GetEntry(i);
      const bool item = e.Kind() != cif_dp::EntryKind::kLoop;
      out += " " + (item && e.HasName() ? U8(e.GetName()) + "=" : "") + Picture(e);
      if (e.HasComment() && e.Kind() != cif_dp::EntryKind::kComment)
        out += " #" + U8(e.GetCommentText());
    }
  }
  return out;
}

inline std::string ReadPicture(const std::string& text) {
  cif_dp::TCifDP doc;
  doc.LoadFromString(W(text));
  return Picture(doc);
}

// The document's lines joined by "\n".
inline std::string Written(const cif_dp::TCifDP& doc) {
  zodu::TStrList lines;
  doc.SaveToStrings(lines);
  return U8(lines.Text(W("\n")));
}

}  // namespace cif_test
