// The application context that the tool's own copy of the DYN loop code logs its reasons
// through (the CIF subcommands pass the reader a sink instead).
#include "cif_context.h"

#include <filesystem>
#include <string>

#include "sdl/utf8_path.h"

namespace zt7cli {

zodu::TBasicApp& CifReaderContext() {
  static zodu::TBasicApp& context = []() -> zodu::TBasicApp& {
    if (!zodu::TBasicApp::HasInstance()) {
      const std::string base = std::filesystem::temp_directory_path().string() + "/zt7util";
      new zodu::TBasicApp(zodu::PathFromUtf8(base.data(), base.size()), false);
    }
    return zodu::TBasicApp::GetInstance();
  }();
  return context;
}

}  // namespace zt7cli
