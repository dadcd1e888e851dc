// What seal and verify report: lines for people, or one JSON document for programs.
#pragma once

#include <string>
#include <vector>

#include "dataset/seal.h"
#include "dataset/shards.h"
#include "dataset/verify.h"

namespace zt7::dataset {

// One "FOLDER/PATH: STATUS (reason)" line per entry that is not OK (paths escaped as in
// the manifest), then the summary "FOLDER: intact|NOT INTACT|NOT VERIFIED, n OK, n FAILED,
// n MISSING, n NEW, n REFORMATTED, n ERROR, n MOVED"; NOT VERIFIED when nothing could be checked,
// or some items could not and the others are intact.
std::string TextReport(const DatasetCheck& check);

// What a report of one run over a list of folders says of it, so that the reports of a
// run's shards can be told apart from others when they are merged.
struct RunInfo {
  std::string list;   // SHA-256 of the list's resolved folders, sorted, one per line
  size_t listed = 0;  // folders in the list, every shard's
  Shard shard;
  bool failuresOnly = false;  // items that are OK left out
};

// `text` as a JSON string of ASCII: UTF-16 code units as \uXXXX, bytes that are not UTF-8
// as U+DC80..U+DCFF.
std::string JsonText(const std::string& text);

// The tool and version that write and merge reports: "zt7util 11.0.0".
std::string ReportVersion();

// {"intact": bool, "run": {"tool", "list", "listed", "shard", "shards", "failures-only"}
// (with `run` only), "datasets": [{"folder", "intact", "error", "counts", "items":
// [{"kind", "path", "expected", "found", "status", "reason"}]}]}; texts as JsonText.
std::string JsonReport(const std::vector<const DatasetCheck*>& checks,
                       const RunInfo* run = nullptr);

// The lines that go beside the reports: the notes (unless `quiet`), each naming its path
// inside the folder, and the reason a dataset could not be checked at all.
std::vector<std::string> VerifyNotes(const DatasetCheck& check, bool quiet);

// "FOLDER: sealed N files (N frame sets, N HKL files, N reflection files) in MANIFEST",
// then "SHA256  RESOLVED": the manifest's SHA-256 and the folder, as --expect-from reads
// them; "" for a folder skipped.
std::string SealSummary(const SealOutcome& seal);

// For a folder skipped, "FOLDER: skipped: ..." alone; else the seal's notes (unless
// `quiet`), "FOLDER/PATH: note"; its warnings, "'FOLDER': warning";
// its errors, "FOLDER/PATH: error"; and last, when no manifest was written, why not.
std::vector<std::string> SealNotes(const SealOutcome& seal, bool quiet);

// {"folder", "manifest", "sealed", "skipped", "manifest-sha256", "key-version", "counts": {"files",
// "frame-sets", "hkl-files", "reflection-files"}, "items": [{"kind", "path", "digest"}], "notes",
// "warnings", "errors", "reason"}; texts as in JsonReport.
std::string SealJson(const SealOutcome& seal, int keyVersion);

}  // namespace zt7::dataset
