// The built library as a host meets it: a private copy loaded with dlopen, exports by name.
#pragma once

#include <dlfcn.h>
#include <stdlib.h>  // for mkdtemp

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "zt7util.h"

namespace zt7test {

// A private copy of the built library, so that every test starts from a freshly loaded
// module: the copy has its own module-wide state.
class FreshModule {
 public:
  FreshModule() {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "zt7module.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    fs::path copy = folder_ / "libzt7util.so";
    fs::copy_file(ZT7_LIBRARY_PATH, copy);
    handle_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error(dlerror());
  }
  ~FreshModule() {
    dlclose(handle_);
    std::filesystem::remove_all(folder_);
  }
  FreshModule(const FreshModule&) = delete;
  FreshModule& operator=(const FreshModule&) = delete;

  template <class F>
  F* Find(const char* name) const {
    void* symbol = dlsym(handle_, name);
    if (!symbol) throw std::runtime_error(std::string("no export ") + name);
    return reinterpret_cast<F*>(symbol);
  }
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  void* handle_ = nullptr;
};

// A path as the exports take it.
inline std::u16string Wide(const std::string& utf8) {
  return std::filesystem::path(utf8).u16string();
}

// Frames beside the module's copy and their digest's two parts, as a host holds them
// before it seals reflection files.
struct SealedFrames {
  explicit SealedFrames(const FreshModule& module) : folder(module.folder() / "frames") {
    std::filesystem::create_directory(folder);
    for (int i = 1; i <= 4; ++i) {
      names.push_back(std::to_string(i) + ".img");
      std::ofstream(folder / names.back()) << std::string(300 * i, char('a' + i));
    }
    const std::string digest =
        module.Find<decltype(pcDigestFrames)>("pcDigestFrames")(path().c_str(), u"*.img");
    if (digest.size() != 87) throw std::runtime_error("no frames digest: " + digest);
    first = digest.substr(0, 43);
    second = digest.substr(44);
  }
  std::u16string path() const { return folder.u16string(); }

  std::filesystem::path folder;
  std::vector<std::string> names;
  std::string first, second;
};

}  // namespace zt7test

// The export `name` of `module`, typed as the header declares it.
#define EXPORT(module, name) (module).Find<decltype(name)>(#name)
