// Frames group: pcDigestFrames against a plain readdir listing, a sort and OpenSSL's MD5 of
// the same five frames, on many small frames and on a few large ones.
#include <dirent.h>
#include <fcntl.h>
#include <openssl/evp.h>
#include <stdlib.h>  // for mkdtemp
#include <time.h>    // for clock_gettime
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "zt7util.h"

using zt7bench::TimePairs;

namespace {

using Md5 = std::array<unsigned char, 16>;

std::string Hex(const Md5& d) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char b : d) (text += digits[b >> 4]) += digits[b & 15];
  return text;
}

Md5 Md5OfText(const std::string& text) {
  Md5 d;
  EVP_Digest(text.data(), text.size(), d.data(), nullptr, EVP_md5(), nullptr);
  return d;
}

// OpenSSL's MD5 of a file read in 64 KiB pieces.
Md5 Md5OfFile(const std::string& path) {
  static std::vector<unsigned char> buffer(1 << 16);
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  EVP_DigestInit_ex(context, EVP_md5(), nullptr);
  int fd = open(path.c_str(), O_RDONLY);
  for (ssize_t n; (n = read(fd, buffer.data(), buffer.size())) > 0;)
    EVP_DigestUpdate(context, buffer.data(), static_cast<size_t>(n));
  close(fd);
  Md5 d;
  EVP_DigestFinal_ex(context, d.data(), nullptr);
  EVP_MD_CTX_free(context);
  return d;
}

// The anchor: the digest from a readdir listing, std::sort and OpenSSL. Frame names here
// are ASCII, for which byte order is the module's order.
std::string AnchorDigest(const std::string& folder) {
  std::vector<std::string> names;
  DIR* d = opendir(folder.c_str());
  while (const dirent* e = readdir(d)) {
    size_t n = std::strlen(e->d_name);
    if (e->d_type == DT_REG && n > 4 && std::strcmp(e->d_name + n - 4, ".img") == 0)
      names.emplace_back(e->d_name, n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  const size_t count = names.size();
  Md5 digest = Md5OfFile(folder + "/" + names[0]);
  std::string a = Hex(digest), b, c;
  for (int j = 0; j < 4; ++j) {
    int used = count < 255 ? 1 : count < 510 ? 2 : count < 765 ? 3 : 4;
    uint32_t v = 0;
    for (int k = used - 1; k >= 0; --k) v = v * 256 + digest[k];
    digest = Md5OfFile(folder + "/" + names[v == 0 ? count - 1 : v % count]);
    (j < 2 ? b : c) += Hex(digest);
  }
  for (int pass = 0; pass < 10; ++pass) {
    a = Hex(Md5OfText(a + b));
    b = Hex(Md5OfText(a + b));
    c = Hex(Md5OfText(a + b + c));
  }
  char n[24];
  std::snprintf(n, sizeof(n), "%05zu", count);
  auto sealed = [](std::string part) {
    std::string check = Hex(Md5OfText(part));
    return part + check[0] + check[8] + check[16] + check[24];
  };
  return sealed("01" + Hex(Md5OfText(a + b)) + n) + "," +
         sealed("11" + Hex(Md5OfText(a + b + c)) + n);
}

// A folder of `count` frames of `size` bytes, each with its own content.
std::string MakeFrames(int count, size_t size) {
  char pattern[] = "/tmp/zt7frames.XXXXXX";
  if (!mkdtemp(pattern)) return "";
  std::vector<char> content(size);
  for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 131 + (i >> 12));
  char name[64];
  for (int i = 0; i < count; ++i) {
    std::snprintf(name, sizeof(name), "%s/frame_%05d.img", pattern, i);
    std::memcpy(content.data(), &i, sizeof(i));
    int fd = open(name, O_CREAT | O_WRONLY | O_TRUNC, 0600);
    if (fd < 0 || write(fd, content.data(), size) != static_cast<ssize_t>(size)) return "";
    close(fd);
  }
  return pattern;
}

// Prints the ratio line; false when the two digests disagree.
bool Compare(const char* name, int count, size_t size, int rounds) {
  const std::string folder = MakeFrames(count, size);
  if (folder.empty()) return false;
  const std::u16string wide = std::filesystem::path(folder).u16string();
  std::string ours, anchor;
  const zt7bench::PairedRatio ratio = TimePairs(
      rounds, [&] { ours = pcDigestFrames(wide.c_str(), u"*.img"); },
      [&] { anchor = AnchorDigest(folder); });
  std::filesystem::remove_all(folder);
  if (ours != anchor || ours.empty()) {
    std::fprintf(stderr, "%s: digest %s, anchor %s\n", name, ours.c_str(), anchor.c_str());
    return false;
  }
  zt7bench::PrintRatio((std::string(name) + "/list+md5").c_str(), ratio);
  return true;
}

}  // namespace

int main() {
  bool ok = Compare("digest-frames-many", 20000, 4096, 15);
  ok = Compare("digest-frames-large", 60, size_t(32) << 20, 5) && ok;
  return ok ? 0 : 1;
}
