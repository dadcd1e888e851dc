// What verify prints: lines for people, or one JSON document for programs.
#pragma once

#include <string>
#include <vector>

#include "verify_dataset.h"

namespace zt7cli {

// One "FOLDER/PATH: STATUS (reason)" line per entry that is not OK (paths escaped as in
// the manifest), then the summary "FOLDER: intact|NOT INTACT|NOT VERIFIED, n OK, n FAILED,
// n MISSING, n NEW, n REFORMATTED, n ERROR"; NOT VERIFIED when nothing could be checked, or
// some items could not and the others are intact.
std::string TextReport(const DatasetCheck& check);

// {"intact": bool, "datasets": [{"folder", "intact", "error", "counts", "items": [{"kind",
// "path", "expected", "found", "status", "reason"}]}]}; texts as JSON strings of UTF-16
// code units, bytes that are not UTF-8 as U+DC80..U+DCFF.
std::string JsonReport(const std::vector<const DatasetCheck*>& checks);

}  // namespace zt7cli
