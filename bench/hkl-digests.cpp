// HKL digest validation and update on a million reflections, against reading the file and
// hashing it once with OpenSSL's MD5.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "hkl_sample.h"
#include "repository/narrow_lines.h"
#include "zt3util/digest_schemes.h"
#include "zt7util.h"

namespace {

// The two parts of the file's digest under `version`, as a host would have stored them.
struct Parts {
  std::string first, second;
};

Parts DigestOf(const std::string& path, int version) {
  zodu::TCStrList lines = ReadNarrowLines(zodu::vexstr(path.c_str())).Release();
  const zodu::vexcstr digest = zt3util::ComposeDigest(lines, version, 3, false);
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

  const int runs = 5;
  const double anchor = BestOf(runs, [&] { ReadAndMd5(path); });
  const double anchorBoth = BestOf(runs, [&] {
    ReadAndMd5(path);
    ReadAndMd5(reordered);
  });

  for (int version : {3, 1}) {
    const Parts parts = DigestOf(path, version);
    int code = 0;
    const double seconds = BestOf(runs, [&] {
      code = iValidateHKLDigests(widePath.c_str(), parts.first.c_str(), parts.second.c_str());
    });
    if (code != 3) std::fprintf(stderr, "validation of scheme %d gave %d\n", version, code);
    std::printf("ratio validate-v%d/read+md5 %.2f\n", version, seconds / anchor);
  }

  const Parts v1 = DigestOf(path, 1);
  const double update = BestOf(runs, [&] {
    const std::string digest = pcUpdateHKLDigests(widePath.c_str(), wideReordered.c_str(),
                                                  v1.first.c_str(), v1.second.c_str());
    if (digest != v1.first + "," + v1.second)
      std::fprintf(stderr, "update gave '%s'\n", digest.c_str());
  });
  std::printf("ratio update/read+md5 %.2f\n", update / anchorBoth);

  unlink(path.c_str());
  unlink(reordered.c_str());
  rmdir(folder);
  return 0;
}
