// Merging the reports of an audit's shards into one.
#pragma once

#include <string>
#include <vector>

#include "sdl/result.h"

namespace zt7::dataset {

struct ShardReport {
  std::string name;  // as the user named the file
  std::string text;  // what `verify --json` wrote there
};

struct MergedReport {
  // kOk: every shard present and every dataset intact; kMismatch: a dataset is not, or a
  // shard is missing; kRefused: reports cut short, of another list, run or tool version,
  // or a shard given twice (the reason names the files), and then no report is made.
  Result<Done> verdict{Outcome::kRefused, "no report given"};
  // As `verify --json` writes it, the datasets of every shard sorted by folder, with
  // "shards": {"count", "present": [K...], "missing": [K...]}.
  std::string json;
  // A line per item that is not OK and a summary per dataset, as `verify` prints them;
  // then "shard K of N missing" for each, and the audit's summary.
  std::string text;
  std::vector<std::string> findings;  // the missing shards, one line each
};

MergedReport MergeReports(const std::vector<ShardReport>& reports);

}  // namespace zt7::dataset
