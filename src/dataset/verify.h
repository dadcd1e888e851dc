// Checking a sealed dataset folder against its manifest, piece by piece.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "manifest.h"

namespace zt7cli {

// kError: the check could not be carried out (a read error, no memory, ...); only a
// completed comparison says kFailed.
enum class Status { kOk, kFailed, kMissing, kNew, kReformatted, kError };

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

struct DatasetCheck {
  std::string folder;               // as given
  std::string error;                // why the dataset could not be checked at all
  std::vector<std::string> notes;   // entries skipped, folders that could not be listed
  std::vector<EntryCheck> entries;  // sorted by path

  // Checked, and nothing FAILED, MISSING, NEW or in ERROR.
  bool Intact() const;
};

// A dataset's check, made ready by reading its manifest and listing its folder, then run
// one piece at a time (from any threads, each piece once); then the pieces that the module
// did not pass are checked again one at a time, so that its log tells a mismatch from an
// error.
class DatasetVerification {
 public:
  explicit DatasetVerification(const std::string& folder);

  size_t Pieces() const { return check_.entries.size(); }
  // The bytes that the pieces read for SHA-256.
  uint64_t Bytes() const { return bytes_; }
  void CheckPiece(size_t piece, std::atomic<uint64_t>& bytesRead);
  // Call after every piece, with no other call of the module running.
  void CheckDoubtfulPieces(std::atomic<uint64_t>& bytesRead);
  const DatasetCheck& Result() const { return check_; }

 private:
  // Each gives whether the module did not pass an item; `asked`: read its word then.
  bool CheckFile(EntryCheck& entry, std::atomic<uint64_t>& bytesRead, bool asked);
  bool CheckFrames(EntryCheck& entry, bool asked);

  std::string root_;  // the folder with its links resolved
  uint64_t bytes_ = 0;
  std::vector<bool> frames_;  // per entry: a frame set
  std::vector<char> doubts_;  // per entry: to be checked again (written from the threads)
  DatasetCheck check_;
};

}  // namespace zt7cli
