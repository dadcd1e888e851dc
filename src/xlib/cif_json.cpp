// A CIF document as CIF-JSON, the form of the COMCIFS draft that other CIF tools emit.
#include "xlib/cif_json.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "sdl/json_text.h"
#include "sdl/utf8_path.h"
#include "xlib/cifdp.h"

namespace zt7 {
namespace {

using namespace cif_dp;

// The text is handed on in pieces of about this size.
constexpr size_t kPiece = 1 << 16;

std::u16string_view View(const zodu::vexstr& text) {
  return {text.raw(), text.Length()};
}

// Names compare ignoring case code unit by code unit in the C locale: only A-Z fold.
std::u16string LowerCase(std::u16string_view name) {
  std::u16string lower(name);
  for (char16_t& c : lower)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return lower;
}

std::string Quoted(std::u16string_view name) {
  const zodu::vexcstr bytes = zodu::PathToUtf8(zodu::vexstr(name.data(), name.size()));
  return "'" + std::string(bytes.raw(), bytes.Length()) + "'";
}

bool IsComment(const ICifEntry& entry) {
  return entry.Kind() == EntryKind::kComment;
}

// A key as the map holds it, without the quotes it was read with.
std::u16string MapKey(const IStringCifEntry& key) {
  const zodu::vexstr held = key.GetStringValue();
  std::u16string_view text = View(held);
  const size_t n = text.size();
  if (n >= 2 && (text[0] == u'\'' || text[0] == u'"') && text[n - 1] == text[0])
    text = text.substr(1, n - 2);
  return std::u16string(text);
}

// A text field's value: its lines, without the line break before the closing semicolon.
std::u16string FieldText(const cetStringList& field) {
  size_t count = field.Count();
  if (count > 1 && field.GetLines()[count - 1].IsEmpty()) --count;
  std::u16string text;
  for (size_t i = 0; i < count; ++i) {
    if (i != 0) text += u'\n';
    text += View(field.GetLines()[i]);
  }
  return text;
}

class CifJsonWriter {
 public:
  CifJsonWriter(const TCifDP& document, const std::function<void(std::string_view)>& write,
                const std::function<void(const std::string&)>& warn)
      : document_(document), write_(write), warn_(warn) {
    for (size_t i = 0; i < document.Count(); ++i) {
      const CifBlock& block = document[i];
      frames_[block.GetParent()].push_back(&block);
    }
  }

  void Write() {
    out_ += "{\n  \"CIF-JSON\": {\n    \"Metadata\": {\n      \"cif-version\": ";
    out_ += document_.GetVersion() == 2 ? "\"2.0\"" : "\"1.1\"";
    out_ +=
        ",\n      \"schema-name\": \"CIF-JSON\",\n"
        "      \"schema-version\": \"1.0.0\",\n"
        "      \"schema-uri\": \"http://www.iucr.org/resources/cif/cif-json.json\"\n    }";
    for (const CifBlock* block : frames_[nullptr]) {
      // The unnamed block before the first data_ header carries data only sometimes.
      if (block->GetName().IsEmpty() && !HoldsData(*block)) continue;
      out_ += ',';
      Blocks(*block);
    }
    out_ += "\n  }\n}\n";
    Flush();
  }

 private:
  void Flush() {
    write_(out_);
    out_.clear();
  }
  void MaybeFlush() {
    if (out_.size() >= kPiece) Flush();
  }

  bool HoldsData(const CifBlock& block) {
    if (!frames_[&block].empty()) return true;
    for (size_t i = 0; i < block.Count(); ++i)
      if (!IsComment(block.GetEntry(i))) return true;
    return false;
  }

  // A new line at `depth`, the member's name and the colon.
  void Member(size_t depth, std::u16string_view name) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
    AppendJsonString(out_, name);
    out_ += ": ";
  }

  void Close(size_t depth) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
    out_ += '}';
  }

  // A block and its save frames, and theirs, from a stack rather than by recursion: frames
  // may nest as deep as the text has save_ headings.
  void Blocks(const CifBlock& outer) {
    struct Open {
      const CifBlock* block;
      size_t depth;
      size_t nextFrame;
      bool any;  // members written
    };
    std::vector<Open> open;
    auto enter = [&](const CifBlock& block, size_t depth) {
      Member(depth, LowerCase(View(block.GetName())));
      open.push_back(Open{&block, depth, 0, Members(block, depth)});
    };
    enter(outer, 2);
    while (!open.empty()) {
      Open& top = open.back();
      const std::vector<const CifBlock*>& frames = frames_[top.block];
      if (top.nextFrame < frames.size()) {
        if (top.nextFrame == 0) {
          out_ += top.any ? ',' : '{';
          top.any = true;
          out_ += '\n';
          out_.append(2 * top.depth + 2, ' ');
          out_ += "\"Frames\": {";
        } else {
          out_ += ',';
        }
        const CifBlock& frame = *frames[top.nextFrame++];
        enter(frame, top.depth + 2);  // `top` is stale from here
        continue;
      }
      if (!frames.empty()) Close(top.depth + 1);
      if (top.any)
        Close(top.depth);
      else
        out_ += "{}";
      open.pop_back();
    }
  }

  // The block's items and loop columns, each name once; true when any was written.
  bool Members(const CifBlock& block, size_t depth) {
    // Where each name is last given: entry, and column for a loop.
    struct Place {
      size_t entry, column;
    };
    std::unordered_map<std::u16string, Place> last;
    auto note = [&](std::u16string_view name, size_t entry, size_t column) {
      const auto [at, added] = last.try_emplace(LowerCase(name), Place{entry, column});
      if (added) return;
      warn_("block " + Quoted(View(block.GetName())) + ": " + Quoted(name) + " of entry " +
            std::to_string(at->second.entry + 1) + " is hidden by the one of entry " +
            std::to_string(entry + 1));
      at->second = Place{entry, column};
    };
    for (size_t i = 0; i < block.Count(); ++i) {
      const ICifEntry& entry = block.GetEntry(i);
      if (IsComment(entry)) continue;
      if (const auto* loop = entry.As<cetTable>()) {
        for (size_t column = 0; column < loop->ColCount(); ++column)
          note(View(loop->ColName(column)), i, column);
      } else {
        note(View(entry.GetName()), i, 0);
      }
    }
    auto shown = [&](std::u16string_view name, size_t entry, size_t column) {
      const Place& place = last.at(LowerCase(name));
      return place.entry == entry && place.column == column;
    };
    bool any = false;
    for (size_t i = 0; i < block.Count(); ++i) {
      const ICifEntry& entry = block.GetEntry(i);
      if (IsComment(entry)) continue;
      if (const auto* loop = entry.As<cetTable>()) {
        for (size_t column = 0; column < loop->ColCount(); ++column) {
          if (!shown(View(loop->ColName(column)), i, column)) continue;
          out_ += any ? ',' : '{';
          any = true;
          Member(depth + 1, LowerCase(View(loop->ColName(column))));
          Column(*loop, column);
        }
        continue;
      }
      if (!shown(View(entry.GetName()), i, 0)) continue;
      out_ += any ? ',' : '{';
      any = true;
      Member(depth + 1, LowerCase(View(entry.GetName())));
      out_ += '[';
      Value(entry);
      out_ += ']';
      MaybeFlush();
    }
    return any;
  }

  void Column(const cetTable& loop, size_t column) {
    out_ += '[';
    for (size_t row = 0; row < loop.RowCount(); ++row) {
      if (row != 0) out_ += ", ";
      const cetTable::CellView cell = loop.Peek(row, column);
      if (cell.entry) {
        Value(*cell.entry);
      } else if (!cell.view) {
        out_ += "null";  // never set: not from text
      } else if (cell.wide.data()) {
        Scalar(cell.wide, cell.quoted);
      } else {
        wide_.assign(cell.narrow.begin(), cell.narrow.end());  // ASCII alone
        Scalar(wide_, cell.quoted);
      }
      MaybeFlush();
    }
    out_ += ']';
  }

  void Scalar(std::u16string_view text, bool quoted) {
    if (!quoted && text == u"?")
      out_ += "null";
    else if (!quoted && text == u".")
      out_ += "false";
    else
      AppendJsonString(out_, text);
  }

  // Lists and maps from a stack of open levels rather than by recursion, so that deep
  // nesting cannot exhaust the stack.
  void Value(const ICifEntry& root) {
    struct Open {
      const cetList* list;
      const cetDict* map;
      size_t next;
      bool any;                  // elements written
      std::vector<bool> hidden;  // map pairs whose key a later pair gives again
    };
    std::vector<Open> open;
    auto enter = [&](const ICifEntry& entry) {
      switch (entry.Kind()) {
        case EntryKind::kList:
          out_ += '[';
          open.push_back(Open{static_cast<const cetList*>(&entry), nullptr, 0, false, {}});
          break;
        case EntryKind::kMap: {
          const auto& map = static_cast<const cetDict&>(entry);
          out_ += '{';
          open.push_back(Open{nullptr, &map, 0, false, HiddenKeys(map)});
          break;
        }
        case EntryKind::kTextField:
          AppendJsonString(out_, FieldText(static_cast<const cetStringList&>(entry)));
          break;
        case EntryKind::kValue: {
          const auto& value = static_cast<const cetString&>(entry);
          Scalar(View(value.GetValue()), value.IsQuoted());
          break;
        }
        default:
          // A comment read inside a map is kept as the text it is.
          AppendJsonString(out_, View(entry.GetCommentText()));
      }
    };
    enter(root);
    while (!open.empty()) {
      Open& top = open.back();
      const size_t count = top.list ? top.list->Count() : top.map->Count();
      while (top.next < count &&
             (top.list ? IsComment((*top.list)[top.next]) : bool(top.hidden[top.next])))
        ++top.next;
      if (top.next == count) {
        out_ += top.list ? ']' : '}';
        open.pop_back();
        continue;
      }
      if (top.any) out_ += ", ";
      top.any = true;
      const size_t i = top.next++;
      MaybeFlush();
      if (top.list) {
        enter((*top.list)[i]);  // may grow `open`: `top` is not used after this
      } else {
        const cetDict& map = *top.map;
        AppendJsonString(out_, MapKey(map.GetKey(i)));
        out_ += ": ";
        enter(map.GetValue(i));
      }
    }
  }

  // The pairs of `map` whose key a later pair gives again, each with a warning.
  std::vector<bool> HiddenKeys(const cetDict& map) {
    std::vector<bool> hidden(map.Count(), false);
    std::unordered_map<std::u16string, size_t> last;
    for (size_t i = 0; i < map.Count(); ++i) {
      const auto [at, added] = last.try_emplace(MapKey(map.GetKey(i)), i);
      if (added) continue;
      hidden[at->second] = true;
      warn_("the key " + Quoted(at->first) +
            " of a table is given again: the later value is written");
      at->second = i;
    }
    return hidden;
  }

  const TCifDP& document_;
  const std::function<void(std::string_view)>& write_;
  const std::function<void(const std::string&)>& warn_;
  std::unordered_map<const CifBlock*, std::vector<const CifBlock*>> frames_;
  std::string out_;
  std::u16string wide_;  // a narrow cell's text, widened
};

}  // namespace

void WriteCifJson(const TCifDP& document, const std::function<void(std::string_view)>& write,
                  const std::function<void(const std::string&)>& warn) {
  CifJsonWriter(document, write, warn).Write();
}

}  // namespace zt7
