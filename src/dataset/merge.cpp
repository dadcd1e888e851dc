// Merging the reports of an audit's shards into one.
#include "dataset/merge.h"

#include <algorithm>
#include <map>

#include "dataset/listing.h"
#include "dataset/manifest.h"
#include "dataset/report.h"
#include "dataset/shards.h"
#include "sdl/json_read.h"

namespace zt7::dataset {
namespace {

using json::Value;

constexpr const char* kChanges[] = {"FAILED", "MISSING", "NEW", "MOVED"};
constexpr const char* kCounted[] = {"OK",          "FAILED", "MISSING", "NEW",
                                    "REFORMATTED", "ERROR",  "MOVED"};

struct ShardRead {
  size_t report = 0;  // index into the reports
  Value document;
  const Value* datasets = nullptr;
};

bool IsA(const Value* value, Value::Kind kind) {
  return value != nullptr && value->kind == kind;
}

double Number(const Value& object, const char* key) {
  const Value* value = object.Get(key);
  return IsA(value, Value::Kind::kNumber) ? value->number : -1;
}

std::string Text(const Value& object, const char* key) {
  const Value* value = object.Get(key);
  return IsA(value, Value::Kind::kString) ? value->text : "";
}

// Why a dataset object of a report is not one that verify writes, or "".
std::string DatasetFault(const Value& dataset) {
  if (!IsA(dataset.Get("folder"), Value::Kind::kString) ||
      !IsA(dataset.Get("intact"), Value::Kind::kBool) ||
      !IsA(dataset.Get("counts"), Value::Kind::kObject) ||
      !IsA(dataset.Get("items"), Value::Kind::kArray))
    return "a dataset without its folder, verdict, counts or items";
  for (const Value& item : dataset.Get("items")->items)
    if (!IsA(item.Get("path"), Value::Kind::kString) ||
        !IsA(item.Get("status"), Value::Kind::kString))
      return "an item without its path or status";
  return "";
}

// What the report at `name` says of its run, checked; or why it cannot be merged.
std::string ReadShard(const ShardReport& report, ShardRead& shard) {
  const std::string name = "'" + Escaped(report.name) + "': ";
  Result<Value> parsed = json::Parse(report.text);
  if (!parsed.Ok()) return name + "truncated or not JSON (" + parsed.Reason() + ")";
  shard.document = std::move(parsed.Value());
  const Value& document = shard.document;
  const Value* run = document.Get("run");
  shard.datasets = document.Get("datasets");
  if (!IsA(run, Value::Kind::kObject) || !IsA(shard.datasets, Value::Kind::kArray) ||
      !IsA(document.Get("intact"), Value::Kind::kBool))
    return name + "not a shard report of `zt7util verify --json` (no run or datasets)";
  if (Text(*run, "tool") != ReportVersion())
    return name + "written by " + (Text(*run, "tool").empty() ? "?" : Text(*run, "tool")) +
           ", not by " + ReportVersion() + ": verify that shard again";
  const double index = Number(*run, "shard"), count = Number(*run, "shards");
  if (count < 1 || count > double(kMostShards) || index < 0 || index >= count ||
      Number(*run, "listed") < 0 || Text(*run, "list").empty())
    return name + "its run names no shard K of N or no list";
  for (const Value& dataset : shard.datasets->items)
    if (const std::string fault = DatasetFault(dataset); !fault.empty()) return name + fault;
  return "";
}

std::string TextOfDataset(const Value& dataset) {
  const std::string folder = dataset.Get("folder")->text;
  std::string text, last;
  for (const Value& item : dataset.Get("items")->items) {
    const std::string path = item.Get("path")->text, status = item.Get("status")->text;
    if (status == "OK" || path == last) continue;
    last = path;
    text += Escaped(JoinPath(folder, path)) + ": " + status;
    if (!Text(item, "reason").empty()) text += " (" + Escaped(Text(item, "reason")) + ")";
    text += "\n";
  }
  const Value& counts = *dataset.Get("counts");
  const bool changed = std::any_of(std::begin(kChanges), std::end(kChanges),
                                   [&](const char* status) { return Number(counts, status) > 0; });
  const bool error = IsA(dataset.Get("error"), Value::Kind::kString);
  text += Escaped(folder) + ": " +
          (error || (!changed && Number(counts, "ERROR") > 0) ? "NOT VERIFIED"
           : dataset.Get("intact")->boolean                   ? "intact"
                                                              : "NOT INTACT");
  for (const char* status : kCounted)
    text += ", " + std::to_string(static_cast<long long>(std::max(0.0, Number(counts, status)))) +
            " " + status;
  return text + "\n";
}

std::string NumberList(const std::vector<size_t>& numbers) {
  std::string text = "[";
  for (size_t i = 0; i < numbers.size(); ++i) text += (i ? ", " : "") + std::to_string(numbers[i]);
  return text + "]";
}

}  // namespace

MergedReport MergeReports(const std::vector<ShardReport>& reports) {
  MergedReport merged;
  if (reports.empty()) return merged;
  std::vector<std::string> problems;
  std::vector<ShardRead> shards(reports.size());
  for (size_t i = 0; i < reports.size(); ++i) {
    shards[i].report = i;
    if (std::string fault = ReadShard(reports[i], shards[i]); !fault.empty())
      problems.push_back(std::move(fault));
  }
  if (!problems.empty()) {
    merged.verdict = Result<Done>(Outcome::kRefused, [&] {
      std::string text;
      for (const std::string& problem : problems) text += (text.empty() ? "" : "\n") + problem;
      return text;
    }());
    return merged;
  }
  // Every report must be of one run: the same list, the same number of shards.
  const Value& first = *shards[0].document.Get("run");
  const std::string firstName = "'" + Escaped(reports[0].name) + "'";
  const size_t count = static_cast<size_t>(Number(first, "shards"));
  std::map<size_t, size_t> byShard;              // shard: its report
  std::map<std::string, const Value*> byFolder;  // the merged datasets, sorted
  size_t held = 0;
  bool failuresOnly = false;
  for (const ShardRead& shard : shards) {
    const Value& run = *shard.document.Get("run");
    const std::string name = "'" + Escaped(reports[shard.report].name) + "'";
    const size_t index = static_cast<size_t>(Number(run, "shard"));
    if (Text(run, "list") != Text(first, "list") ||
        Number(run, "listed") != Number(first, "listed")) {
      problems.push_back(name + ": of another list than " + firstName);
      continue;
    }
    if (static_cast<size_t>(Number(run, "shards")) != count) {
      problems.push_back(name + ": one of " + std::to_string(size_t(Number(run, "shards"))) +
                         " shards, " + firstName + " one of " + std::to_string(count));
      continue;
    }
    if (const auto [other, added] = byShard.emplace(index, shard.report); !added) {
      problems.push_back(name + " and '" + Escaped(reports[other->second].name) +
                         "' are both shard " + std::to_string(index) + " of " +
                         std::to_string(count));
      continue;
    }
    const Value* only = run.Get("failures-only");
    failuresOnly = failuresOnly || (IsA(only, Value::Kind::kBool) && only->boolean);
    for (const Value& dataset : shard.datasets->items) {
      ++held;
      if (!byFolder.emplace(dataset.Get("folder")->text, &dataset).second)
        problems.push_back(name + ": '" + Escaped(dataset.Get("folder")->text) +
                           "' is in another report as well");
    }
  }
  std::vector<size_t> present, missing;
  for (size_t k = 0; k < count; ++k) (byShard.count(k) ? present : missing).push_back(k);
  if (missing.empty() && problems.empty() && held != size_t(Number(first, "listed")))
    problems.push_back("the reports hold " + std::to_string(held) + " datasets, the list " +
                       std::to_string(size_t(Number(first, "listed"))));
  if (!problems.empty()) {
    std::string text;
    for (const std::string& problem : problems) text += (text.empty() ? "" : "\n") + problem;
    merged.verdict = Result<Done>(Outcome::kRefused, text);
    return merged;
  }

  bool intact = missing.empty();
  size_t notIntact = 0;
  std::string datasets;
  for (const auto& [folder, dataset] : byFolder) {
    const bool good = dataset->Get("intact")->boolean;
    intact = intact && good;
    notIntact += !good;
    datasets += std::string(datasets.empty() ? "" : ",\n ") + std::string(dataset->raw);
    merged.text += TextOfDataset(*dataset);
  }
  for (size_t k : missing)
    merged.findings.push_back("shard " + std::to_string(k) + " of " + std::to_string(count) +
                              " missing");
  for (const std::string& finding : merged.findings) merged.text += finding + "\n";
  merged.text += "audit: " +
                 std::string(!missing.empty() ? "INCOMPLETE"
                             : intact         ? "intact"
                                              : "NOT INTACT") +
                 ", " + std::to_string(present.size()) + " of " + std::to_string(count) +
                 " shards, " + std::to_string(byFolder.size()) + " datasets, " +
                 std::to_string(notIntact) + " not intact\n";
  merged.json = std::string("{\"intact\": ") + (intact ? "true" : "false") +
                ", \"shards\": {\"count\": " + std::to_string(count) +
                ", \"present\": " + NumberList(present) + ", \"missing\": " + NumberList(missing) +
                "}, \"run\": {\"tool\": " + JsonText(ReportVersion()) +
                ", \"list\": " + JsonText(Text(first, "list")) +
                ", \"listed\": " + std::to_string(size_t(Number(first, "listed"))) +
                ", \"failures-only\": " + (failuresOnly ? "true" : "false") +
                "}, \"datasets\": [\n " + datasets + "\n]}\n";
  merged.verdict =
      intact ? Result<Done>(Done{})
             : Result<Done>(Outcome::kMismatch,
                            missing.empty() ? "not every dataset is intact" : "shards are missing");
  return merged;
}

}  // namespace zt7::dataset
