// What verify prints: lines for people, or one JSON document for programs.
#include "verify_report.h"

#include <algorithm>
#include <cstdio>

#include "cli_support.h"
#include "dataset.h"

namespace zt7cli {
namespace {

constexpr Status kStatuses[] = {Status::kOk,  Status::kFailed,      Status::kMissing,
                                Status::kNew, Status::kReformatted, Status::kError};

size_t Count(const DatasetCheck& check, Status status) {
  size_t n = 0;
  for (const EntryCheck& entry : check.entries) n += entry.status == status;
  return n;
}

// ASCII only: every other code unit as \uXXXX.
std::string JsonText(const std::string& utf8) {
  std::string text = "\"";
  for (char16_t unit : WideText(utf8)) {
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

std::string JsonDataset(const DatasetCheck& check) {
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
    return e.status == Status::kFailed || e.status == Status::kMissing || e.status == Status::kNew;
  });
  text += Escaped(check.folder) + ": " +
          (!check.error.empty() || (!changed && Count(check, Status::kError) > 0) ? "NOT VERIFIED"
           : check.Intact()                                                       ? "intact"
                                                                                  : "NOT INTACT");
  for (Status status : kStatuses)
    text += ", " + std::to_string(Count(check, status)) + " " + StatusName(status);
  return text + "\n";
}

std::string JsonReport(const std::vector<const DatasetCheck*>& checks) {
  bool intact = true;
  std::string datasets;
  for (const DatasetCheck* check : checks) {
    intact = intact && check->Intact();
    datasets += std::string(datasets.empty() ? "" : ",\n ") + JsonDataset(*check);
  }
  return std::string("{\"intact\": ") + (intact ? "true" : "false") + ", \"datasets\": [\n " +
         datasets + "\n]}\n";
}

}  // namespace zt7cli
