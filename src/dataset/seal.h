// Sealing a dataset folder: the items of its manifest.
#pragma once

#include <string>
#include <vector>

#include "manifest.h"
#include "parallel_work.h"

namespace zt7cli {

struct SealOutcome {
  std::vector<ManifestItem> items;
  std::vector<std::string> notes;     // what the manifest leaves out, and why
  std::vector<std::string> warnings;  // what the user must hear even with --quiet
  std::vector<std::string> errors;    // what keeps the folder from being sealed
  size_t files = 0, frameSets = 0, hklFiles = 0, reflectionFiles = 0;
};

// The items for `folder`: a frames digest per folder of frames matching `mask`, the HKL
// digest of each HKL file, the DYN digest of each reflection file, and the SHA-256 of
// every regular file. HKL digests use the module's current key version. A file's digests
// all come from one state of it; a file that keeps changing is an error.
SealOutcome SealDataset(const std::string& folder, const std::string& mask, unsigned threads,
                        WorkCounters& counters, bool showProgress);

}  // namespace zt7cli
