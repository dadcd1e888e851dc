// Foundation group: splitting a 30 MB text of a million lines into a list of line views,
// against a plain memchr loop that only counts the lines of the same text.
#include <cstdio>
#include <cstring>  // for memchr
#include <random>
#include <string>

#include "bench_timing.h"
#include "repository/narrow_lines.h"

namespace {

constexpr int kRounds = 9;
constexpr size_t kLines = 1000000;

// Lines of 20 to 40 printable characters, 30 bytes each on average with their line feeds.
zodu::vexcstr SampleText() {
  std::mt19937 random(5);
  std::string text;
  text.reserve(kLines * 31);
  for (size_t i = 0; i < kLines; ++i) {
    const size_t length = 20 + random() % 19;
    for (size_t j = 0; j < length; ++j) text += static_cast<char>(' ' + random() % 95);
    text += '\n';
  }
  return zodu::vexcstr(text.data(), text.size());
}

}  // namespace

int main() {
  const zodu::vexcstr text = SampleText();
  size_t counted = 0, split = 0;
  const zt7bench::PairedRatio ratio = zt7bench::TimePairs(
      kRounds, [&] { split = SplitNarrowLines(text).Count(); },
      [&] {
        const char* at = text.raw();
        const char* const end = at + text.Length();
        counted = 0;
        while (at < end) {
          const void* feed = std::memchr(at, '\n', size_t(end - at));
          ++counted;
          if (!feed) break;
          at = static_cast<const char*>(feed) + 1;
        }
      });
  if (split != counted) std::fprintf(stderr, "split %zu lines, counted %zu\n", split, counted);
  zt7bench::PrintRatio("split-lines/memchr", ratio);
  return 0;
}
