// Sealing a dataset folder: its items, and the manifest that keeps them.
#pragma once

#include <string>
#include <vector>

#include "dataset/manifest.h"
#include "dataset/parallel_work.h"

namespace zt7::dataset {

struct SealOptions {
  std::string mask = "*.img";
  int keyVersion = 3;       // the scheme of the HKL digests
  bool force = false;       // replace an existing manifest
  bool skipSealed = false;  // pass over a folder that has a manifest, with a note
  unsigned threads = 0;     // 0: one per core
};

struct SealOutcome {
  std::string folder;          // as given, without slashes at its end
  std::string manifest;        // the manifest's path
  std::string resolved;        // the folder, absolute with its links resolved
  std::string manifestSha256;  // of the manifest file written, as sha256sum gives it
  bool skipped = false;        // it had a manifest, and skipSealed was asked
  std::vector<ManifestItem> items;
  // Each names its path inside the folder, escaped.
  std::vector<std::string> notes;     // what the manifest leaves out, and why
  std::vector<std::string> warnings;  // what the user must hear even when notes are not wanted
  std::vector<std::string> errors;    // what keeps the folder from being sealed
  size_t files = 0, frameSets = 0, hklFiles = 0, reflectionFiles = 0;
  // kOk: the manifest is written; else why not (kRefused: the folder, the manifest or a
  // file did not allow it; kError: the system failed or the watcher stopped the seal).
  Result<Done> written{Outcome::kRefused, "not sealed"};
};

// Seals `folder`: a frames digest per folder of frames matching the mask, the HKL digest of
// each HKL file, the DYN digest of each reflection file, and the SHA-256 of every regular
// file, written as the manifest once every file has been read. A file's digests all come
// from one state of it; a file that keeps changing is an error. Temporary manifests that
// an interrupted seal left are removed (a note says so).
SealOutcome SealFolder(const std::string& folder, const SealOptions& options,
                       WorkCounters& counters, const Watcher& watcher);

}  // namespace zt7::dataset
