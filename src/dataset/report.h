// What seal and verify report: lines for people, or one JSON document for programs.
#pragma once

#include <string>
#include <vector>

#include "dataset/seal.h"
#include "dataset/verify.h"

namespace zt7::dataset {

// One "FOLDER/PATH: STATUS (reason)" line per entry that is not OK (paths escaped as in
// the manifest), then the summary "FOLDER: intact|NOT INTACT|NOT VERIFIED, n OK, n FAILED,
// n MISSING, n NEW, n REFORMATTED, n ERROR"; NOT VERIFIED when nothing could be checked, or
// some items could not and the others are intact.
std::string TextReport(const DatasetCheck& check);

// {"intact": bool, "datasets": [{"folder", "intact", "error", "counts", "items": [{"kind",
// "path", "expected", "found", "status", "reason"}]}]}; texts as JSON strings of UTF-16
// code units, bytes that are not UTF-8 as U+DC80..U+DCFF.
std::string JsonReport(const std::vector<const DatasetCheck*>& checks);

// The lines that go beside the reports: the notes (unless `quiet`), each naming its path
// inside the folder, and the reason a dataset could not be checked at all.
std::vector<std::string> VerifyNotes(const DatasetCheck& check, bool quiet);

// "FOLDER: sealed N files (N frame sets, N HKL files, N reflection files) in MANIFEST".
std::string SealSummary(const SealOutcome& seal);

// The seal's notes (unless `quiet`), "FOLDER/PATH: note"; its warnings, "'FOLDER': warning";
// its errors, "FOLDER/PATH: error"; and last, when no manifest was written, why not.
std::vector<std::string> SealNotes(const SealOutcome& seal, bool quiet);

// {"folder", "manifest", "sealed", "key-version", "counts": {"files", "frame-sets",
// "hkl-files", "reflection-files"}, "items": [{"kind", "path", "digest"}], "notes",
// "warnings", "errors", "reason"}; texts as in JsonReport.
std::string SealJson(const SealOutcome& seal, int keyVersion);

}  // namespace zt7::dataset
