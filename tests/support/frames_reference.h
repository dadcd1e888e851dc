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

#include "support/module_digests.h"
#include "support/temp_folder.h"

namespace frames_reference {

using Md5 = std::array<unsigned char, 16>;

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
  // Names sort by their UTF-16 code units, decoded as the platform decodes file names.
  for (const std::string& name : names) order.emplace_back(zodu::testing::W(name).c_str(), name);
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
