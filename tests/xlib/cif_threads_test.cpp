// One const document read by 8 threads at once, every cell through Peek and every text in
// place. The suite's name ends in "Threads": ThreadSanitizer runs it too.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "sdl/memstream.h"
#include "xlib/cif_text.h"

namespace {

using cif_dp::cetTable;

constexpr size_t kRows = 2000;

// Row i of the loop holds i, 'v i' and a text field whose first line is "line i".
size_t GoodRows(const cif_dp::TCifDP& doc) {
  const cetTable* loop = doc[0].FindTable(cif_test::W("_r"));
  auto shows = [](const cetTable::CellView& cell, const std::string& text) {
    return cell.view && (cell.wide.data() ? cell.wide == std::u16string(text.begin(), text.end())
                                          : cell.narrow == text);
  };
  size_t good = 0;
  for (size_t row = 0; loop && row < loop->RowCount(); ++row) {
    const std::string n = std::to_string(row);
    const cetTable::CellView plain = loop->Peek(row, 0), quoted = loop->Peek(row, 1);
    const cif_dp::ICifEntry* field = loop->Peek(row, 2).entry;
    const auto* lines = field ? field->As<cif_dp::cetStringList>() : nullptr;
    good += shows(plain, n) && !plain.quoted && shows(quoted, "v " + n) && quoted.quoted && lines &&
            std::u16string_view(lines->GetLines()[0].raw(), lines->GetLines()[0].Length()) ==
                std::u16string(u"line ") + std::u16string(n.begin(), n.end());
  }
  return good;
}

// ASCII text is viewed as 8-bit text; a letter beyond ASCII makes it 16-bit.
TEST(CifThreads, EightThreadsReadOneConstDocument) {
  for (const std::string comment : {"ascii", "\xC3\xA9t\xC3\xA9"}) {
    std::string text = "data_x # " + comment + "\nloop_\n_r_i\n_r_q\n_r_f\n";
    for (size_t i = 0; i < kRows; ++i)
      text += std::to_string(i) + " 'v " + std::to_string(i) + "'\n;\nline " + std::to_string(i) +
              "\n;\n";
    zodu::TEMemoryStream stream(64);
    stream.Write(text.data(), text.size());
    stream.SetPosition(0);
    cif_dp::TCifDP doc;
    doc.LoadFromStream(stream);
    std::vector<size_t> found(8, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < found.size(); ++t)
      threads.emplace_back([&doc, &found, t] { found[t] = GoodRows(doc); });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(found, std::vector<size_t>(8, kRows)) << comment;
  }
}

}  // namespace
