// The seal and verify subcommands, which the demo runs as well.
#pragma once

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace zt7cli {

struct DatasetOptions {
  unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  bool quiet = false;  // no progress line, no notes on skipped files
};

struct SealArguments {
  std::string folder, mask = "*.img";
  int keyVersion = 0;  // 0: the default scheme
  bool force = false;
  DatasetOptions options;
};

struct VerifyArguments {
  std::vector<std::string> folders;
  bool json = false;
  DatasetOptions options;
};

// Each returns the subcommand's exit status.
int RunSeal(const SealArguments& arguments);
int RunVerify(const VerifyArguments& arguments);

}  // namespace zt7cli
