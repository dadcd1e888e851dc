// The line sort: signed byte order, shorter lines first, entries moved not copied.
#include "zt3util/line_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace zodu;

namespace {

TCStrList List(const std::vector<std::string>& lines) {
  TCStrList list;
  for (const std::string& s : lines) list.Add(vexcstr(s.data(), s.size()));
  return list;
}

std::vector<std::string> Sorted(const std::vector<std::string>& lines) {
  TCStrList list = List(lines);
  zt3util::SortLines(list);
  std::vector<std::string> out;
  for (const vexcstr& line : list) out.emplace_back(line.raw(), line.Length());
  return out;
}

// The order written out plainly: equal lengths byte by byte, else the empty line first,
// else the common prefix, else the shorter first; bytes as signed values.
bool PlainLess(const std::string& a, const std::string& b) {
  auto byteLess = [](char x, char y) {
    return static_cast<signed char>(x) < static_cast<signed char>(y);
  };
  if (a.size() != b.size()) {
    if (a.empty() || b.empty()) return a.empty();
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
      if (a[i] != b[i]) return byteLess(a[i], b[i]);
    return a.size() < b.size();
  }
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return byteLess(a[i], b[i]);
  return false;
}

TEST(SortLines, BytesAbove127SortFirst) {
  EXPECT_EQ(Sorted({"a", "\x01", "\xff", "\x80", " ", "\x7f"}),
            (std::vector<std::string>{"\x80", "\xff", "\x01", " ", "a", "\x7f"}));
  EXPECT_EQ(Sorted({"  10   1", "   9   1", "  -1   1", "\xe9   1   1"}),
            (std::vector<std::string>{"\xe9   1   1", "   9   1", "  -1   1", "  10   1"}));
}

TEST(SortLines, EmptyFirstThenPrefixThenShorter) {
  EXPECT_EQ(Sorted({"ab", "b", "", "a", "\x80", "abc", ""}),
            (std::vector<std::string>{"", "", "\x80", "a", "ab", "abc", "b"}));
  // Beyond the first 16 bytes.
  const std::string p(16, 'p');
  EXPECT_EQ(Sorted({p + "b", p + "a\x80", p + "a", p, p + "\xff"}),
            (std::vector<std::string>{p, p + "\xff", p + "a", p + "a\x80", p + "b"}));
}

TEST(SortLines, AgreesWithThePlainOrderOnRandomLines) {
  std::mt19937 random(7);
  const std::string alphabet("\x80\xff\x01 09a\x7f", 9);
  std::vector<std::string> lines;
  for (int i = 0; i < 3000; ++i) {
    std::string line(random() % 24, ' ');
    for (char& c : line) c = alphabet[random() % alphabet.size()];
    lines.push_back(line);
  }
  std::vector<std::string> expected = lines;
  std::stable_sort(expected.begin(), expected.end(), PlainLess);
  EXPECT_EQ(Sorted(lines), expected);
}

TEST(SortLines, MovesTheEntriesWithoutCopyingCharacters) {
  const vexcstr text("c\nb\na\n");
  TCStrList list;
  for (size_t i = 0; i < 3; ++i) list.Add(text.SubString(2 * i, 1));
  zt3util::SortLines(list);
  EXPECT_EQ(list[0].raw(), text.raw() + 4);
  EXPECT_EQ(list[1].raw(), text.raw() + 2);
  EXPECT_EQ(list[2].raw(), text.raw());
  TCStrList none;
  zt3util::SortLines(none);
  EXPECT_EQ(none.Count(), 0u);
}

}  // namespace
