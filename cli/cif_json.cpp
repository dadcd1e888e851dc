// A CIF document as CIF-JSON, the form of the COMCIFS draft that other CIF tools emit.
#include "cif_json.h"

#include <string_view>
#include <unordered_map>
#include <vector>

#include "json_text.h"
#include "xlib/cifdp.h"

namespace zt7cli {
namespace {

using namespace cif_dp;

std::u16string_view View(const zodu::vexstr& text) {
  return {text.raw(), text.Length()};
}

// Names compare ignoring case code unit by code unit in the C locale: only A-Z fold.
std::u16string LowerCase(const zodu::vexstr& name) {
  std::u16string lower(View(name));
  for (char16_t& c : lower)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return lower;
}

class CifJsonWriter {
 public:
  explicit CifJsonWriter(const TCifDP& document) : document_(document) {
    for (size_t i = 0; i < document.Count(); ++i) {
      const CifBlock& block = document[i];
      frames_[block.GetParent()].push_back(&block);
    }
  }

  std::string Write() {
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
      Block(*block, 2);
    }
    out_ += "\n  }\n}\n";
    return std::move(out_);
  }

 private:
  bool HoldsData(const CifBlock& block) {
    if (!frames_[&block].empty()) return true;
    for (size_t i = 0; i < block.Count(); ++i)
      if (!IsComment(block.GetEntry(i))) return true;
    return false;
  }

  static bool IsComment(const ICifEntry& entry) {
    return dynamic_cast<const cetComment*>(&entry) != nullptr;
  }

  // A new line at `depth`, the member's name in lower case and the colon.
  void Member(int depth, const zodu::vexstr& name) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
    AppendJsonString(out_, LowerCase(name));
    out_ += ": ";
  }

  void Block(const CifBlock& block, int depth) {
    Member(depth, block.GetName());
    char separator = '{';
    for (size_t i = 0; i < block.Count(); ++i) {
      const ICifEntry& entry = block.GetEntry(i);
      if (IsComment(entry)) continue;
      if (const auto* loop = dynamic_cast<const cetTable*>(&entry)) {
        for (size_t column = 0; column < loop->ColCount(); ++column) {
          out_ += separator;
          separator = ',';
          Member(depth + 1, loop->ColName(column));
          out_ += '[';
          for (size_t row = 0; row < loop->RowCount(); ++row) {
            if (row != 0) out_ += ", ";
            const ICifEntry* cell = loop->Get(row, column);
            if (cell)
              Value(*cell);
            else
              out_ += "null";  // never set: not from text
          }
          out_ += ']';
        }
        continue;
      }
      out_ += separator;
      separator = ',';
      Member(depth + 1, entry.GetName());
      out_ += '[';
      Value(entry);
      out_ += ']';
    }
    const std::vector<const CifBlock*>& frames = frames_[&block];
    if (!frames.empty()) {
      out_ += separator;
      separator = ',';
      out_ += '\n';
      out_.append(2 * depth + 2, ' ');
      out_ += "\"Frames\": ";
      char frameSeparator = '{';
      for (const CifBlock* frame : frames) {
        out_ += frameSeparator;
        frameSeparator = ',';
        Block(*frame, depth + 2);
      }
      Close(depth + 1);
    }
    if (separator == '{')
      out_ += "{}";
    else
      Close(depth);
  }

  void Close(int depth) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
    out_ += '}';
  }

  void Value(const ICifEntry& entry) {
    if (const auto* list = dynamic_cast<const cetList*>(&entry)) {
      const char* separator = "[";
      for (size_t i = 0; i < list->Count(); ++i) {
        if (IsComment((*list)[i])) continue;
        out_ += separator;
        separator = ", ";
        Value((*list)[i]);
      }
      out_ += *separator == '[' ? "[]" : "]";
    } else if (const auto* map = dynamic_cast<const cetDict*>(&entry)) {
      out_ += '{';
      for (size_t i = 0; i < map->Count(); ++i) {
        if (i != 0) out_ += ", ";
        AppendJsonString(out_, View(MapKey(map->GetKey(i))));
        out_ += ": ";
        Value(map->GetValue(i));
      }
      out_ += '}';
    } else if (const auto* lines = dynamic_cast<const cetStringList*>(&entry)) {
      std::u16string text;
      for (size_t i = 0; i < lines->Count(); ++i) {
        if (i != 0) text += u'\n';
        text += View((*lines)[i]);
      }
      AppendJsonString(out_, text);
    } else {
      // A comment read inside a map is kept as the text it is.
      const auto* value = dynamic_cast<const cetString*>(&entry);
      const zodu::vexstr text = entry.GetStringValue();
      if (value && !value->IsQuoted() && View(text) == u"?")
        out_ += "null";
      else if (value && !value->IsQuoted() && View(text) == u".")
        out_ += "false";
      else
        AppendJsonString(out_, View(text));
    }
  }

  // A key as the map holds it, without the quotes it was read with.
  static zodu::vexstr MapKey(const IStringCifEntry& key) {
    zodu::vexstr text = key.GetStringValue();
    const size_t n = text.Length();
    if (n >= 2 && (text[0] == u'\'' || text[0] == u'"') && text[n - 1] == text[0])
      return text.SubString(1, n - 2);
    return text;
  }

  const TCifDP& document_;
  std::unordered_map<const CifBlock*, std::vector<const CifBlock*>> frames_;
  std::string out_;
};

}  // namespace

std::string CifJson(const TCifDP& document) {
  return CifJsonWriter(document).Write();
}

}  // namespace zt7cli
