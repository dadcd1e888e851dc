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

// The folders of a seal or a verification: named, from a list file ("-": standard input)
// and the shard "K/N" (empty: all).
struct FolderArguments {
  std::vector<std::string> folders;
  std::string list = "", shard = "";
};

struct SealArguments {
  FolderArguments folders;
  std::string mask = "*.img";
  int keyVersion = 0;  // 0: the default scheme
  bool force = false;
  DatasetOptions options;
};

struct VerifyArguments {
  FolderArguments folders;
  bool json = false;
  bool failuresOnly = false;
  std::string output = "";                   // the report's file, written whole or not at all
  std::string expect = "", expectFrom = "";  // the manifest's SHA-256, or a file of them
  DatasetOptions options;
};

// Each returns the subcommand's exit status.
int RunSeal(const SealArguments& arguments);
int RunVerify(const VerifyArguments& arguments);

}  // namespace zt7cli
