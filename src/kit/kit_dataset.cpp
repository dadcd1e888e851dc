// zt7kit: sealing dataset folders and verifying them.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dataset/folder_list.h"
#include "dataset/report.h"
#include "dataset/seal.h"
#include "dataset/selection.h"
#include "dataset/verify.h"
#include "kit/kit_call.h"
#include "sdl/regular_file.h"
#include "zt7kit.h"

namespace kit = zt7::kit;
namespace dataset = zt7::dataset;
using zt7::dataset::WorkCounters;

namespace {

zt7::dataset::Watcher WatcherOf(zt7kit_progress progress, void* context) {
  if (progress == nullptr) return {};
  return [progress, context](const WorkCounters& counters) {
    return progress(counters.bytesDone, counters.bytes, counters.datasetsDone, counters.datasets,
                    context) != 0;
  };
}

zt7kit_status Refuse(char** message, const std::string& reason) {
  kit::Hand(message, reason);
  return ZT7KIT_REFUSED;
}

// The text of a file that names folders, or why it cannot be read.
zt7::Result<std::string> ReadList(const char* path) {
  return zt7::ReadRegularFile(path, dataset::kLargestList);
}

// The folders of `selection`, or the status and reason why there are none.
zt7kit_status Select(const zt7kit_selection* selection, char** message,
                     std::optional<dataset::Selection>& selected) {
  if (zt7kit_status s = kit::NeedAll(message, {{"selection", selection}})) return s;
  if (selection->count > 0 && selection->folders == nullptr)
    return Refuse(message, "no folders given (a null pointer) for a count of " +
                               std::to_string(selection->count));
  std::vector<std::string> folders;
  for (size_t i = 0; i < selection->count; ++i) {
    if (selection->folders[i] == nullptr)
      return Refuse(message, "no folder given at " + std::to_string(i) + " (a null pointer)");
    folders.emplace_back(selection->folders[i]);
  }
  dataset::Shard shard;
  if (selection->shard) {
    const zt7::Result<dataset::Shard> parsed = dataset::ParseShard(selection->shard);
    if (!parsed.Ok()) return Refuse(message, parsed.Reason());
    shard = parsed.Value();
  }
  std::optional<std::string> list;
  std::string listName = "-";
  if (selection->list) {
    zt7::Result<std::string> text = ReadList(selection->list);
    if (!text.Ok())
      return kit::Answer(
          zt7::Result<zt7::Done>(text.GetOutcome(), "list '" + dataset::Escaped(selection->list) +
                                                        "': " + text.Reason()),
          message);
    list = std::move(text.Value());
    listName = selection->list;
  } else if (selection->list_bytes) {
    list.emplace(selection->list_bytes, selection->list_length);
  }
  zt7::Result<dataset::Selection> result =
      dataset::SelectFolders(folders, list ? &*list : nullptr, listName, shard);
  if (!result.Ok()) return Refuse(message, result.Reason());
  selected = std::move(result.Value());
  return ZT7KIT_OK;
}

// What the manifests of the selected folders must hash to, or why that cannot be known.
zt7kit_status Expect(const zt7kit_selection* selection, const dataset::Selection& selected,
                     char** message, std::vector<dataset::Expectation>& expectations) {
  if (selection->expect && selection->expect_from)
    return Refuse(message, "give the expected SHA-256 or a file of them, not both");
  if (selection->expect) {
    if (!dataset::IsSha256Text(selection->expect))
      return Refuse(message, "expected SHA-256 '" + dataset::Escaped(selection->expect) +
                                 "': not 64 hexadecimal digits");
    if (selected.run.listed != 1)
      return Refuse(message, "one expected SHA-256 is for one folder; " +
                                 std::to_string(selected.run.listed) +
                                 " are named (give a file of SHA256  FOLDER lines)");
    expectations = dataset::ExpectationsOf(selected, selection->expect, nullptr);
  } else if (selection->expect_from) {
    const zt7::Result<std::string> text = ReadList(selection->expect_from);
    if (!text.Ok())
      return Refuse(message,
                    "'" + dataset::Escaped(selection->expect_from) + "': " + text.Reason());
    const auto records = dataset::ParseExpectations(text.Value(), selection->expect_from);
    if (!records.Ok()) return Refuse(message, records.Reason());
    expectations = dataset::ExpectationsOf(selected, "", &records.Value());
  }
  return ZT7KIT_OK;
}

// Verifies `folders` and hands out the reports; the status says whether all are intact.
zt7kit_status VerifyAndReport(const std::vector<std::string>& folders,
                              const std::vector<dataset::Expectation>& expectations,
                              const dataset::RunInfo* run, std::vector<std::string> notes,
                              unsigned jobs, unsigned flags, zt7kit_progress progress,
                              void* progress_context, char** json, char** report, char** message) {
  WorkCounters counters;
  const std::vector<dataset::DatasetCheck> checks = dataset::VerifyFolders(
      folders, expectations, jobs, counters, WatcherOf(progress, progress_context));
  if (counters.cancelled) {
    kit::Hand(message, "cancelled: the folders were not all checked");
    return ZT7KIT_ERROR;
  }
  bool intact = true;
  std::string text;
  std::vector<const dataset::DatasetCheck*> all;
  for (const dataset::DatasetCheck& check : checks) {
    intact = intact && check.Intact();
    text += TextReport(check);
    for (std::string& note : VerifyNotes(check, (flags & ZT7KIT_QUIET) != 0))
      notes.push_back(std::move(note));
    all.push_back(&check);
  }
  kit::Hand(json, JsonReport(all, run));
  kit::Hand(report, text);
  kit::Hand(message, kit::Lines(notes));
  return intact ? ZT7KIT_OK : ZT7KIT_MISMATCH;
}

}  // namespace

zt7kit_status zt7kit_seal(const char* folder, const char* mask, int key_version, unsigned flags,
                          unsigned jobs, zt7kit_progress progress, void* progress_context,
                          char** json, char** summary, char** message) {
  kit::Clear({json, summary, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"folder", folder}})) return s;
    zt7kit_selection selection{&folder, 1, nullptr, nullptr, 0, nullptr, nullptr, nullptr};
    char* all = nullptr;
    const zt7kit_status status =
        zt7kit_seal_selection(&selection, mask, key_version, flags, jobs, progress,
                              progress_context, json ? &all : nullptr, summary, message);
    if (all != nullptr) {
      // One folder: its object ("{...}\n"), not the array of one ("[{...}\n]\n").
      const std::string text(all);
      zt7kit_free(all);
      kit::Hand(json, text.substr(1, text.size() - 3));
    }
    return status;
  });
}

zt7kit_status zt7kit_seal_selection(const zt7kit_selection* selection, const char* mask,
                                    int key_version, unsigned flags, unsigned jobs,
                                    zt7kit_progress progress, void* progress_context, char** json,
                                    char** summary, char** message) {
  kit::Clear({json, summary, message});
  return kit::Guard(message, [&] {
    if (!kit::KnownKeyVersion(key_version))
      return Refuse(message, "no key version " + std::to_string(key_version) + " (1, 2 or 3)");
    std::optional<dataset::Selection> selected;
    if (zt7kit_status s = Select(selection, message, selected)) return s;
    if (selection->expect || selection->expect_from)
      return Refuse(message, "an expected SHA-256 is for verifying, not for sealing");
    dataset::SealOptions options;
    if (mask) options.mask = mask;
    options.keyVersion = key_version;
    options.force = (flags & ZT7KIT_FORCE) != 0;
    options.skipSealed = selected->run.listed > 1 || selection->list || selection->list_bytes;
    options.threads = jobs;
    WorkCounters counters;
    counters.datasets = selected->folders.size();
    std::string objects, summaries;
    std::vector<std::string> lines = selected->notes;
    zt7kit_status status = ZT7KIT_OK;
    for (const std::string& folder : selected->folders) {
      const dataset::SealOutcome seal =
          SealFolder(folder, options, counters, WatcherOf(progress, progress_context));
      objects += (objects.empty() ? "" : ",") + SealJson(seal, key_version);
      if (seal.written.Ok() && !seal.skipped) summaries += SealSummary(seal) + "\n";
      for (std::string& line : SealNotes(seal, (flags & ZT7KIT_QUIET) != 0))
        lines.push_back(std::move(line));
      if (status == ZT7KIT_OK) status = kit::StatusOf(seal.written.GetOutcome());
      if (counters.cancelled) break;
    }
    kit::Hand(json, "[" + objects + "]\n");
    if (!summaries.empty()) summaries.pop_back();
    kit::Hand(summary, summaries);
    kit::Hand(message, kit::Lines(lines));
    return status;
  });
}

zt7kit_status zt7kit_verify(const char* const* folders, size_t count, unsigned jobs, unsigned flags,
                            zt7kit_progress progress, void* progress_context, char** json,
                            char** report, char** message) {
  kit::Clear({json, report, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"folders", folders}})) return s;
    if (count == 0) return Refuse(message, "no folder given");
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) {
      if (folders[i] == nullptr)
        return Refuse(message, "no folder given at " + std::to_string(i) + " (a null pointer)");
      names.emplace_back(folders[i]);
    }
    return VerifyAndReport(names, {}, nullptr, {}, jobs, flags, progress, progress_context, json,
                           report, message);
  });
}

zt7kit_status zt7kit_verify_selection(const zt7kit_selection* selection, unsigned jobs,
                                      unsigned flags, zt7kit_progress progress,
                                      void* progress_context, char** json, char** report,
                                      char** message) {
  kit::Clear({json, report, message});
  return kit::Guard(message, [&] {
    std::optional<dataset::Selection> selected;
    if (zt7kit_status s = Select(selection, message, selected)) return s;
    std::vector<dataset::Expectation> expectations;
    if (zt7kit_status s = Expect(selection, *selected, message, expectations)) return s;
    selected->run.failuresOnly = (flags & ZT7KIT_FAILURES_ONLY) != 0;
    return VerifyAndReport(selected->folders, expectations, &selected->run, selected->notes, jobs,
                           flags, progress, progress_context, json, report, message);
  });
}
