// The datasets one run works on: folders named one by one and from a list, the share of
// one shard, and what identifies the run in its report.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "dataset/report.h"
#include "dataset/verify.h"
#include "sdl/result.h"

namespace zt7::dataset {

struct Selection {
  std::vector<std::string> folders;   // this shard's, as reports name them
  std::vector<std::string> resolved;  // the same, absolute with links resolved
  std::vector<std::string> notes;     // folders named again
  RunInfo run;
};

// `folders` (named as given) then those of the list `listText` (named by their resolved
// path, so that reports made on different nodes agree), each resolved folder once; only
// those of `shard` are kept. Without a list, `listName` is ignored. Refused as
// ParseFolderList refuses a list, or when no folder is given at all.
Result<Selection> SelectFolders(const std::vector<std::string>& folders,
                                const std::string* listText, const std::string& listName,
                                const Shard& shard);

// Per folder of `selection`, what its manifest must hash to: `sha256` for every folder when
// given (the caller allows it for one folder only), else the value `records` hold for its
// resolved path (none: the folder is refused).
std::vector<Expectation> ExpectationsOf(const Selection& selection, const std::string& sha256,
                                        const std::map<std::string, std::string>* records);

}  // namespace zt7::dataset
