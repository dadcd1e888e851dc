// HKL digest validation and update on a million reflections, against reading the file and
// hashing it once with OpenSSL's MD5.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "hkl_sample.h"
#include "zt3util/hkl_digest.h"
#include "zt7util.h"

namespace {

// The two parts of the file's digest under `version`, as a host would have stored them.
struct Parts {
  std::string first, second;
};

Parts DigestOf(const std::string& path, int version) {
  const zodu::vexcstr digest = zt7::DigestHklFile(zodu::vexstr(path.c_str()), version, 3);
  const std::string text(digest.raw(), digest.Length());
  return {text.substr(0, 38), text.substr(39)};
}

}  // namespace

int main() {
  using namespace zt7bench;
  char folder[] = "/tmp/zt7bench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string path = std::string(folder) + "/sample.hkl";
  const std::string reordered = std::string(folder) + "/reordered.hkl";
  std::vector<std::string> lines = SampleHklLines(1000000);
  WriteLines(path, lines);
  std::reverse(lines.begin(), lines.end() - 1);
  WriteLines(reordered, lines);
  const std::u16string widePath(path.begin(), path.end());
  const std::u16string wideReordered(reordered.begin(), reordered.end());

  const int pairs = 7;
  for (int version : {3, 1}) {
    const Parts parts = DigestOf(path, version);
    int code = 0;
    const PairedRatio ratio = TimePairs(
        pairs,
        [&] {
          code = iValidateHKLDigests(widePath.c_str(), parts.first.c_str(), parts.second.c_str());
        },
        [&] { ReadAndMd5(path); });
    if (code != 3) std::fprintf(stderr, "validation of scheme %d gave %d\n", version, code);
    PrintRatio(("validate-v" + std::to_string(version) + "/read+md5").c_str(), ratio);
  }

  const Parts v1 = DigestOf(path, 1);
  const PairedRatio update = TimePairs(
      pairs,
      [&] {
        const std::string digest = pcUpdateHKLDigests(widePath.c_str(), wideReordered.c_str(),
                                                      v1.first.c_str(), v1.second.c_str());
        if (digest != v1.first + "," + v1.second)
          std::fprintf(stderr, "update gave '%s'\n", digest.c_str());
      },
      [&] {
        ReadAndMd5(path);
        ReadAndMd5(reordered);
      });
  PrintRatio("update/read+md5", update);

  unlink(path.c_str());
  unlink(reordered.c_str());
  rmdir(folder);
  return 0;
}
