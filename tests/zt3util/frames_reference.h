// A second, independent computation of the frames digest for the tests' expected values:
// OpenSSL's MD5 on files, std::string texts, the in-memory padding rule rebuilt by hand.
#pragma once

#include <openssl/md5.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "zt3util/module_digests.h"

namespace frames_reference {

using Md5 = std::array<unsigned char, 16>;

// UTF-8 to UTF-16 as the platform maps names: a byte that does not start a valid
// sequence becomes U+DC00 + byte.
inline std::u16string NameUnits(const std::string& name) {
  std::u16string units;
  for (size_t i = 0; i < name.size();) {
    unsigned char lead = name[i];
    if (lead < 0x80) {
      units += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    size_t extra = lead >= 0xC2 && lead <= 0xDF   ? 1
                   : lead >= 0xE0 && lead <= 0xEF ? 2
                   : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                  : 0;
    char32_t value = lead & (extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07);
    bool valid = extra > 0 && i + extra < name.size();
    for (size_t k = 1; valid && k <= extra; ++k) {
      unsigned char next = name[i + k];
      valid = (next & 0xC0) == 0x80;
      value = (value << 6) | (next & 0x3F);
    }
    char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
    valid = valid && value >= least && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
    if (!valid) {
      units += static_cast<char16_t>(0xDC00 + lead);
      ++i;
      continue;
    }
    if (value >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(value);
    }
    i += extra + 1;
  }
  return units;
}

inline Md5 FileMd5(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Md5 digest;
  MD5(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
  return digest;
}

// The next frame after the one with digest `d` among `n`: as many leading digest bytes
// as the count needs (one below 255 frames, two below 510, three below 765, else four),
// read little-endian; a zero value picks the last frame.
inline size_t NextFrame(const Md5& d, size_t n) {
  int used = n < 255 ? 1 : n < 510 ? 2 : n < 765 ? 3 : 4;
  uint64_t value = 0;
  for (int k = used - 1; k >= 0; --k) value = value * 256 + d[k];
  return value == 0 ? n - 1 : static_cast<size_t>(value % n);
}

// The digest of the files `names` (UTF-8, exactly those the mask selects) in `folder`.
inline std::string FramesDigest(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<std::pair<std::u16string, std::string>> order;
  for (const std::string& name : names) order.emplace_back(NameUnits(name), name);
  std::sort(order.begin(), order.end());
  const size_t n = order.size();
  auto frame = [&](size_t i) { return FileMd5(folder + "/" + order[i].second); };

  Md5 d = frame(0);
  std::string a = reference::Hex(d.data(), 16, 0), b, c;
  for (int j = 0; j < 4; ++j) {
    d = frame(NextFrame(d, n));
    (j < 2 ? b : c) += reference::Hex(d.data(), 16, 0);
  }
  for (int pass = 0; pass < 10; ++pass) {
    a = reference::MD5Text(a + b);
    b = reference::MD5Text(a + b);
    c = reference::MD5Text(a + b + c);
  }
  std::string count = std::to_string(n);
  if (count.size() < 5) count.insert(0, 5 - count.size(), '0');
  auto sealed = [](std::string part) {
    std::string check = reference::MD5Text(part);
    return part + check[0] + check[8] + check[16] + check[24];
  };
  return sealed("01" + reference::MD5Text(a + b) + count) + "," +
         sealed("11" + reference::MD5Text(a + b + c) + count);
}

}  // namespace frames_reference
