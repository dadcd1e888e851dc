// Test helpers: CIF documents from ASCII text, and a one-line picture of a document.
#pragma once

#include <string>

#include "sdl/memstream.h"
#include "xlib/cifdp.h"

namespace cif_test {

using cif_dp::ICifEntry;
using zodu::vexstr;

inline vexstr W(const std::string& s) {
  return vexstr(s.data(), s.size());
}

// UTF-16 as UTF-8 for the pictures, so that expectations can be written as literals.
inline std::string U8(const vexstr& s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Appends `piece` after `separator` unless it is the first piece.
inline void Join(std::string& out, bool first, const char* separator, const std::string& piece) {
  if (!first) out += separator;
  out += piece;
}

// A value: plain as it is, quoted in <>, a text field as ;line|line;, lists as [a,b],
// maps as {k:v,...}, a comment as #text.
inline std::string Picture(const ICifEntry& e) {
  if (auto* s = dynamic_cast<const cif_dp::cetString*>(&e)) {
    const std::string value = U8(s->GetValue());
    return s->IsQuoted() ? "<" + value + ">" : value;
  }
  if (auto* f = dynamic_cast<const cif_dp::cetStringList*>(&e)) {
    std::string out = ";";
    for (size_t i = 0; i < f->Count(); ++i) Join(out, i == 0, "|", U8((*f)[i]));
    return out + ";";
  }
  if (auto* c = dynamic_cast<const cif_dp::cetComment*>(&e)) {
    const std::string text = U8(c->GetComment());
    return "#" + text;
  }
  if (auto* l = dynamic_cast<const cif_dp::cetList*>(&e)) {
    std::string out = "[";
    for (size_t i = 0; i < l->Count(); ++i) Join(out, i == 0, ",", Picture((*l)[i]));
    return out + "]";
  }
  if (auto* d = dynamic_cast<const cif_dp::cetDict*>(&e)) {
    std::string out = "{";
    for (size_t i = 0; i < d->Count(); ++i)
      Join(out, i == 0, ",", Picture(d->GetKey(i)) + ":" + Picture(d->GetValue(i)));
    return out + "}";
  }
  if (auto* t = dynamic_cast<const cif_dp::cetTable*>(&e)) {
    std::string out = "loop " + U8(t->GetName()) + "(";
    for (size_t c = 0; c < t->ColCount(); ++c) Join(out, c == 0, ",", U8(t->ColName(c)));
    out += "):";
    for (size_t r = 0; r < t->RowCount(); ++r)
      for (size_t c = 0; c < t->ColCount(); ++c)
        Join(out, r == 0 && c == 0, c ? "," : "/", Picture(*t->Get(r, c)));
    return out;
  }
  return "?";
}

// Blocks as "[name]" (frames "[name<parent]"), then their entries: "name=value",
// " #comment" after an item's value, comments and loops as Picture draws them.
inline std::string Picture(const cif_dp::TCifDP& doc) {
  std::string out;
  for (size_t b = 0; b < doc.Count(); ++b) {
    const cif_dp::CifBlock& block = doc[b];
    Join(out, b == 0, " ", "[" + U8(block.GetName()));
    if (block.GetParent()) out += "<" + U8(block.GetParent()->GetName());
    out += "]";
    for (size_t i = 0; i < block.Count(); ++i) {
      const ICifEntry& e = block.GetEntry(i);
      out += " ";
      if (!dynamic_cast<const cif_dp::cetTable*>(&e) && e.HasName()) out += U8(e.GetName()) + "=";
      out += Picture(e);
      if (e.HasComment() && !dynamic_cast<const cif_dp::cetComment*>(&e))
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
