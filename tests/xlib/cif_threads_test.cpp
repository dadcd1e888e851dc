// One const document read by several threads at once: every cell through Peek, every text
// in place. The suite's name ends in "Threads", which runs it under ThreadSanitizer too.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sdl/memstream.h"
#include "xlib/cif_text.h"

namespace {

using cif_dp::cetTable;
using cif_dp::TCifDP;
using cif_test::W;

constexpr size_t kRows = 2000;
constexpr size_t kThreads = 8;

// A loop of a plain, a quoted and a text field column: row i holds i, 'v i' and the
// field "line i" (read as the lines "line i" and "", the line feed before its end).
std::string LoopText(const std::string& comment) {
  std::string text = "data_x # " + comment + "\nloop_\n_r_i\n_r_q\n_r_f\n";
  for (size_t i = 0; i < kRows; ++i) {
    const std::string n = std::to_string(i);
    text += n + " 'v " + n + "'\n;\nline " + n + "\n;\n";
  }
  return text;
}

bool Same(std::u16string_view text, const std::string& ascii) {
  return text.size() == ascii.size() && std::equal(text.begin(), text.end(), ascii.begin());
}

bool Same(std::string_view text, const std::string& ascii) {
  return text == ascii;
}

// Whether the view of a value cell shows `ascii`, from whichever text the loop views.
bool Shows(const cetTable::CellView& cell, const std::string& ascii) {
  return cell.view && (cell.wide.data() ? Same(cell.wide, ascii) : Same(cell.narrow, ascii));
}

// The rows that read as they were written; every thread must find all of them.
size_t GoodRows(const TCifDP& doc) {
  const cetTable* loop = doc[0].FindTable(W("_r"));
  if (!loop || loop->RowCount() != kRows) return 0;
  size_t good = 0;
  for (size_t row = 0; row < kRows; ++row) {
    const std::string n = std::to_string(row);
    const cetTable::CellView plain = loop->Peek(row, 0), quoted = loop->Peek(row, 1),
                             field = loop->Peek(row, 2);
    const auto* lines = field.entry ? field.entry->As<cif_dp::cetStringList>() : nullptr;
    good += Shows(plain, n) && !plain.quoted && Shows(quoted, "v " + n) && quoted.quoted && lines &&
            lines->GetLines().Count() == 2 && lines->GetLines()[1].IsEmpty() &&
            Same(std::u16string_view(lines->GetLines()[0].raw(), lines->GetLines()[0].Length()),
                 "line " + n);
  }
  return good;
}

void ExpectEveryThreadReadsEveryRow(const TCifDP& doc) {
  std::vector<size_t> found(kThreads, 0);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < kThreads; ++t)
    threads.emplace_back([&doc, &found, t] { found[t] = GoodRows(doc); });
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < kThreads; ++t) EXPECT_EQ(found[t], kRows) << "thread " << t;
}

// Text of ASCII alone is viewed as 8-bit text; a letter beyond ASCII makes it 16-bit.
TEST(CifThreads, EightThreadsReadOneConstDocument) {
  for (const std::string comment : {"ascii", "\xC3\xA9t\xC3\xA9"}) {
    SCOPED_TRACE(comment);
    const std::string text = LoopText(comment);
    zodu::TEMemoryStream stream(64);
    stream.Write(text.data(), text.size());
    stream.SetPosition(0);
    TCifDP doc;
    doc.LoadFromStream(stream);
    ExpectEveryThreadReadsEveryRow(doc);
  }
}

}  // namespace
