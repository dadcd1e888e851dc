// Checking a sealed dataset folder against its manifest, piece by piece.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "dataset/manifest.h"
#include "dataset/parallel_work.h"

namespace zt7::dataset {

// kError: the check could not be carried out (a read error, no memory, ...); only a
// completed comparison says kFailed.
// kMoved: a new file with the bytes of a missing one (its reason names the old path).
enum class Status { kOk, kFailed, kMissing, kNew, kReformatted, kError, kMoved };

const char* StatusName(Status status);

struct ItemCheck {
  ItemKind kind;
  std::string expected;  // "" for a new file
  std::string found;     // what the folder gives now; "" when nothing checks out
};

// One file of the dataset, or one frame set (its path is the folder, "/" and the mask).
struct EntryCheck {
  std::string path;
  Status status = Status::kOk;
  std::string reason;  // why it is not OK; "" when it is
  std::vector<ItemCheck> items;
};

// The verdict on a file that was read, from what each of its items found: its status and
// reason (it stays kOk when every item found what was expected).
void Judge(EntryCheck& entry);

struct DatasetCheck {
  std::string folder;               // as given
  std::string error;                // why the dataset could not be checked at all
  std::vector<std::string> notes;   // entries skipped, folders that could not be listed
  std::vector<EntryCheck> entries;  // sorted by path

  // Checked, and nothing FAILED, MISSING, NEW, MOVED or in ERROR.
  bool Intact() const;
};

// The SHA-256 that a dataset's manifest file must have, from the keeper's records.
struct Expectation {
  bool given = false;  // false: the manifest is taken as it is
  std::string sha256;  // lowercase; "" when given, but the records hold none for the folder
};

// A dataset's check, made ready by reading its manifest and listing its folder, then run
// one piece at a time (from any threads, each piece once), then finished.
class DatasetVerification {
 public:
  DatasetVerification(const std::string& folder, const Expectation& expectation);

  size_t Pieces() const { return check_.entries.size(); }
  // The bytes that the pieces read for SHA-256.
  uint64_t Bytes() const { return bytes_; }
  void CheckPiece(size_t piece, std::atomic<uint64_t>& bytesRead);
  // Once every piece has run: a new file with the bytes of a missing one becomes one MOVED
  // entry.
  void Finish();
  const DatasetCheck& Check() const { return check_; }

 private:
  void CheckFile(EntryCheck& entry, std::atomic<uint64_t>& bytesRead);
  void CheckFrames(EntryCheck& entry);

  std::string root_;  // the folder with its links resolved
  uint64_t bytes_ = 0;
  std::vector<bool> frames_;  // per entry: a frame set
  DatasetCheck check_;
};

// Checks every folder, all their pieces on `threads` threads (0: one per core), counting
// datasets and bytes in `counters` for the watcher; `expectations` (empty, or one per
// folder) hold what their manifests must hash to. When the watcher stops the work,
// `counters.cancelled` is set and the checks are incomplete.
std::vector<DatasetCheck> VerifyFolders(const std::vector<std::string>& folders,
                                        const std::vector<Expectation>& expectations,
                                        unsigned threads, WorkCounters& counters,
                                        const Watcher& watcher);

}  // namespace zt7::dataset
