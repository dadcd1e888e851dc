// Fuzz target: arbitrary bytes as CIF 1.1 text and as CIF 2.0 text, read, copied, every loop
// cell visited, written and read again. Parse failures are expected; crashes, sanitizer
// reports and time-outs are not.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sdl/memstream.h"
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
          if (!table.Get(r, c)) __builtin_trap();  // a loop read from text has every cell
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const char* magic : {"", "#\\#CIF_2.0\n"}) {
    std::string text(magic);
    text.append(reinterpret_cast<const char*>(data), size);
    zodu::TEMemoryStream stream(4096);
    stream.Write(text.data(), text.size());
    stream.SetPosition(0);
    cif_dp::TCifDP doc;
    try {
      doc.LoadFromStream(stream);
    } catch (const zodu::TExceptionBase&) {
      continue;
    }
    Exercise(doc);
    zodu::TStrList lines;
    doc.SaveToStrings(lines);
    try {
      cif_dp::TCifDP again;
      again.LoadFromStrings(lines);
    } catch (const zodu::TExceptionBase&) {
    }
  }
  return 0;
}
