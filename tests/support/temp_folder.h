// A scratch folder for file tests, removed with its contents afterwards.
#pragma once

#include <fcntl.h>
#include <ftw.h>     // for nftw
#include <stdlib.h>  // for mkdtemp
#include <unistd.h>

#include <cstdio>
#include <string>

#include "sdl/smart/vex_istring.h"
#include "sdl/utf8_path.h"

namespace zodu::testing {

// The UTF-8 form of a path, for the C calls of the tests and for readable failures.
inline std::string U8(const vexstr& s) {
  vexcstr bytes = PathToUtf8(s);
  return std::string(bytes.raw(), bytes.Length());
}

inline vexstr W(const std::string& utf8) {
  return PathFromUtf8(utf8.data(), utf8.size());
}

class TempFolder {
 public:
  // In `parent`; an empty path when the folder cannot be made.
  explicit TempFolder(const std::string& parent = "/tmp") {
    std::string pattern = parent + "/zt7files.XXXXXX";
    if (const char* made = mkdtemp(pattern.data())) path_ = made;
  }
  ~TempFolder() {
    nftw(
        path_.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Writes `content` to the file `name` inside the folder; returns its path.
  std::string MakeFile(const std::string& name, const std::string& content = "") const {
    std::string p = *this / name;
    if (FILE* f = std::fopen(p.c_str(), "wb")) {
      std::fwrite(content.data(), 1, content.size(), f);
      std::fclose(f);
    }
    return p;
  }

 private:
  std::string path_;
};

}  // namespace zodu::testing
