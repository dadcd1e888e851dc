// Fuzz target: arbitrary bytes as CIF text (CIF 2.0 when they open with its magic line, as
// one seed does), read, copied, every loop cell visited, written as CIF-JSON and as CIF
// text, and that text read back as format-cif does. Parse failures are expected; crashes,
// sanitizer reports, time-outs and a written text that format-cif would pass but that
// reads back otherwise are not.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sdl/memstream.h"
#include "sdl/utf8_path.h"
#include "xlib/cif_compare.h"
#include "xlib/cif_json.h"
#include "xlib/cifdp.h"

namespace {

void Exercise(const cif_dp::TCifDP& doc) {
  for (size_t b = 0; b < doc.Count(); ++b) {
    const cif_dp::CifBlock& block = doc[b];
    std::unique_ptr<cif_dp::ICifEntry> copy(block.Replicate());
    for (size_t t = 0; t < block.TableCount(); ++t) {
      const cif_dp::cetTable& table = block.GetTable(t);
      for (size_t r = 0; r < table.RowCount(); ++r)
        for (size_t c = 0; c < table.ColCount(); ++c)
          if (const cif_dp::cetTable::CellView cell = table.Peek(r, c); !cell.entry && !cell.view)
            __builtin_trap();  // a loop read from text has every cell
    }
  }
}

// The UTF-8 text that format-cif writes for `doc`.
std::string Written(const cif_dp::TCifDP& doc) {
  std::string text;
  const auto line = [&text](const zodu::vexstr& l) {
    const zodu::vexcstr bytes = zodu::PathToUtf8(l);
    text.append(bytes.raw(), bytes.Length()) += '\n';
  };
  if (doc.GetVersion() == 2) line(zodu::vexstr(u"#\\#CIF_2.0"));
  doc.SaveTo(line);
  return text;
}

std::string Json(const cif_dp::TCifDP& doc) {
  std::string json;
  zt7::WriteCifJson(
      doc, [&json](std::string_view piece) { json.append(piece); }, [](const std::string&) {});
  return json;
}

bool Load(cif_dp::TCifDP& doc, const void* data, size_t size) {
  zodu::TEMemoryStream stream(4096);
  stream.Write(data, size);
  stream.SetPosition(0);
  try {
    doc.LoadFromStream(stream);
    return true;
  } catch (const zodu::TExceptionBase&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cif_dp::TCifDP doc;
  if (!Load(doc, data, size)) return 0;
  Exercise(doc);
  const std::string json = Json(doc), text = Written(doc);
  cif_dp::TCifDP reread;
  if (!Load(reread, text.data(), text.size()) || !zt7::FirstDifference(doc, reread).empty())
    return 0;  // format-cif refuses such a document
  // What format-cif passes must be what it read, as far as a second view can tell: the
  // values as CIF-JSON shows them; and what it writes, written again, passes as well (the
  // text itself may still change: a comment moves to a line of its own, blanks after it go).
  if (Json(reread) != json) __builtin_trap();
  const std::string again = Written(reread);
  cif_dp::TCifDP third;
  if (!Load(third, again.data(), again.size()) || !zt7::FirstDifference(reread, third).empty() ||
      Json(third) != json)
    __builtin_trap();
  return 0;
}
