// Reading a file into narrow text lines that share the file's one buffer.
#include "repository/narrow_lines.h"

#include <cstdlib>  // for free
#include <cstring>  // for memchr
#include <memory>

#include "repository/byte_words.h"
#include "sdl/efile.h"

using namespace zodu;

namespace {

// Length of a line without its trailing carriage returns; a lone one goes, but the line's
// first character always stays.
size_t WithoutCarriageReturns(const char* line, size_t length) {
  if (length == 1 && line[0] == '\r') return 0;
  while (length > 1 && line[length - 1] == '\r') --length;
  return length;
}

size_t CountLineFeeds(const char* s, size_t n) {
  size_t count = 0, i = 0;
  for (; i + 8 <= n; i += 8)
    count += byte_words::CountMarked(byte_words::BytesEqual(byte_words::Load(s + i), '\n'));
  for (; i < n; ++i) count += s[i] == '\n';
  return count;
}

}  // namespace

TCStrList SplitNarrowLines(const vexcstr& text) {
  TCStrList lines;
  const char* const s = text.raw();
  const size_t n = text.Length();
  // Sized once: growing by steps would move the entries and touch fresh pages several times.
  lines.SetCapacity(CountLineFeeds(s, n) + 1);
  for (size_t from = 0; from < n;) {
    const void* feed = std::memchr(s + from, '\n', n - from);
    const size_t end = feed ? static_cast<size_t>(static_cast<const char*>(feed) - s) : n;
    lines.Add(text.SubString(from, WithoutCarriageReturns(s + from, end - from)));
    from = end + 1;
  }
  return lines;
}

ConstStrList<TCStrList> ReadNarrowLines(const vexstr& path) {
  TEFile file(path, u"rb");
  const uint64_t size = file.Length() - file.GetPosition();
  VexIStream::CheckSize(size);
  vexcstr text;
  if (size != 0) {
    std::unique_ptr<char, decltype(&std::free)> chars(static_cast<char*>(vex_malloc_(size + 1)),
                                                      &std::free);
    file.Read(chars.get(), size);
    chars.get()[size] = 0;  // so that c_str() needs no copy
    text = vexcstr::Adopt(chars.release(), size, size + 1);
  }
  file.Close();
  return ConstStrList<TCStrList>(SplitNarrowLines(text));
}
