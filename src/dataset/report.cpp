// What seal and verify report: lines for people, or one JSON document for programs.
#include "dataset/report.h"

#include <algorithm>
#include <cstdio>

#include "dataset/listing.h"
#include "dataset/manifest.h"
#include "sdl/utf8_path.h"

namespace zt7::dataset {
namespace {

constexpr Status kStatuses[] = {Status::kOk,   Status::kFailed,      Status::kMissing,
                                Status::kNew,  Status::kReformatted, Status::kError,
                                Status::kMoved};

size_t Count(const DatasetCheck& check, Status status) {
  size_t n = 0;
  for (const EntryCheck& entry : check.entries) n += entry.status == status;
  return n;
}

// ASCII only: every other code unit as \uXXXX.
}  // namespace

std::string JsonText(const std::string& utf8) {
  std::string text = "\"";
  const zodu::vexstr wide = zodu::PathFromUtf8(utf8.data(), utf8.size());
  for (char16_t unit : wide) {
    if (unit == u'"' || unit == u'\\') {
      text += '\\';
      text += static_cast<char>(unit);
    } else if (unit >= 0x20 && unit < 0x7F) {
      text += static_cast<char>(unit);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
      text += escape;
    }
  }
  return text + "\"";
}

namespace {

std::string JsonDataset(const DatasetCheck& check, bool failuresOnly) {
  std::string text = "{\"folder\": " + JsonText(check.folder) +
                     ", \"intact\": " + (check.Intact() ? "true" : "false") +
                     ", \"error\": " + (check.error.empty() ? "null" : JsonText(check.error)) +
                     ", \"counts\": {";
  for (Status status : kStatuses)
    text += std::string(status == Status::kOk ? "" : ", ") + "\"" + StatusName(status) +
            "\": " + std::to_string(Count(check, status));
  text += "}, \"items\": [";
  const char* separator = "";
  for (const EntryCheck& entry : check.entries)
    for (const ItemCheck& item : entry.items) {
      if (failuresOnly && entry.status == Status::kOk) continue;
      text += std::string(separator) + "\n  {\"kind\": \"" + KindName(item.kind) +
              "\", \"path\": " + JsonText(entry.path) +
              ", \"expected\": " + (item.expected.empty() ? "null" : JsonText(item.expected)) +
              ", \"found\": " + (item.found.empty() ? "null" : JsonText(item.found)) +
              ", \"status\": \"" + StatusName(entry.status) +
              "\", \"reason\": " + JsonText(entry.reason) + "}";
      separator = ",";
    }
  return text + "]}";
}

}  // namespace

std::string TextReport(const DatasetCheck& check) {
  std::string text;
  for (const EntryCheck& entry : check.entries) {
    if (entry.status == Status::kOk) continue;
    text += Escaped(JoinPath(check.folder, entry.path)) + ": " + StatusName(entry.status);
    if (!entry.reason.empty()) text += " (" + Escaped(entry.reason) + ")";
    text += "\n";
  }
  // Errors alone leave the question open: nothing that was compared came out different.
  const bool changed = std::any_of(check.entries.begin(), check.entries.end(), [](auto& e) {
    return e.status == Status::kFailed || e.status == Status::kMissing ||
           e.status == Status::kNew || e.status == Status::kMoved;
  });
  text += Escaped(check.folder) + ": " +
          (!check.error.empty() || (!changed && Count(check, Status::kError) > 0) ? "NOT VERIFIED"
           : check.Intact()                                                       ? "intact"
                                                                                  : "NOT INTACT");
  for (Status status : kStatuses)
    text += ", " + std::to_string(Count(check, status)) + " " + StatusName(status);
  return text + "\n";
}

std::string JsonReport(const std::vector<const DatasetCheck*>& checks, const RunInfo* run) {
  bool intact = true;
  std::string datasets;
  for (const DatasetCheck* check : checks) {
    intact = intact && check->Intact();
    datasets += std::string(datasets.empty() ? "" : ",\n ") +
                JsonDataset(*check, run != nullptr && run->failuresOnly);
  }
  std::string text = std::string("{\"intact\": ") + (intact ? "true" : "false");
  if (run)
    text += ", \"run\": {\"tool\": " + JsonText(ReportVersion()) +
            ", \"list\": " + JsonText(run->list) + ", \"listed\": " + std::to_string(run->listed) +
            ", \"shard\": " + std::to_string(run->shard.index) +
            ", \"shards\": " + std::to_string(run->shard.count) +
            ", \"failures-only\": " + (run->failuresOnly ? "true" : "false") + "}";
  return text + ", \"datasets\": [\n " + datasets + "\n]}\n";
}

std::string ReportVersion() {
  return std::string("zt7util ") + ZT7_TOOL_VERSION;
}

std::vector<std::string> VerifyNotes(const DatasetCheck& check, bool quiet) {
  std::vector<std::string> lines;
  if (!check.error.empty()) lines.push_back(check.error);
  if (!quiet)
    for (const std::string& note : check.notes)
      lines.push_back(JoinPath(Escaped(check.folder), note));
  return lines;
}

std::string SealSummary(const SealOutcome& seal) {
  if (seal.skipped) return "";
  return Escaped(seal.folder) + ": sealed " + std::to_string(seal.files) + " files (" +
         std::to_string(seal.frameSets) + " frame sets, " + std::to_string(seal.hklFiles) +
         " HKL files, " + std::to_string(seal.reflectionFiles) + " reflection files) in " +
         Escaped(seal.manifest) + "\n" + seal.manifestSha256 + "  " + Escaped(seal.resolved);
}

std::vector<std::string> SealNotes(const SealOutcome& seal, bool quiet) {
  std::vector<std::string> lines;
  const std::string folder = Escaped(seal.folder);
  if (seal.skipped)
    return {folder + ": skipped: it has a manifest already (" + kManifestName + ")"};
  if (!quiet)
    for (const std::string& note : seal.notes) lines.push_back(JoinPath(folder, note));
  for (const std::string& warning : seal.warnings)
    lines.push_back("'" + folder + "': " + Escaped(warning));
  for (const std::string& error : seal.errors) lines.push_back(JoinPath(folder, error));
  if (!seal.written.Ok()) lines.push_back(seal.written.Reason());
  return lines;
}

std::string SealJson(const SealOutcome& seal, int keyVersion) {
  const auto list = [](const std::vector<std::string>& texts) {
    std::string text = "[";
    for (size_t i = 0; i < texts.size(); ++i) text += (i ? ", " : "") + JsonText(texts[i]);
    return text + "]";
  };
  std::string text =
      "{\"folder\": " + JsonText(seal.folder) + ", \"manifest\": " + JsonText(seal.manifest) +
      ", \"sealed\": " + (seal.written.Ok() && !seal.skipped ? "true" : "false") +
      ", \"skipped\": " + (seal.skipped ? "true" : "false") + ", \"manifest-sha256\": " +
      (seal.manifestSha256.empty() ? "null" : JsonText(seal.manifestSha256)) +
      ", \"key-version\": " + std::to_string(keyVersion) +
      ", \"counts\": {\"files\": " + std::to_string(seal.files) +
      ", \"frame-sets\": " + std::to_string(seal.frameSets) +
      ", \"hkl-files\": " + std::to_string(seal.hklFiles) +
      ", \"reflection-files\": " + std::to_string(seal.reflectionFiles) + "}, \"items\": [";
  for (size_t i = 0; i < seal.items.size(); ++i) {
    const ManifestItem& item = seal.items[i];
    text += std::string(i ? "," : "") + "\n  {\"kind\": \"" + KindName(item.kind) +
            "\", \"path\": " + JsonText(item.path) + ", \"digest\": " + JsonText(item.digest) + "}";
  }
  return text + "], \"notes\": " + list(seal.notes) + ", \"warnings\": " + list(seal.warnings) +
         ", \"errors\": " + list(seal.errors) +
         ", \"reason\": " + (seal.written.Ok() ? "null" : JsonText(seal.written.Reason())) + "}\n";
}

}  // namespace zt7::dataset
