// zt7kit: sealing dataset folders and verifying them.
#include <string>
#include <vector>

#include "dataset/report.h"
#include "dataset/seal.h"
#include "dataset/verify.h"
#include "kit/kit_call.h"
#include "zt7kit.h"

namespace kit = zt7::kit;
using zt7::dataset::WorkCounters;

namespace {

zt7::dataset::Watcher WatcherOf(zt7kit_progress progress, void* context) {
  if (progress == nullptr) return {};
  return [progress, context](const WorkCounters& counters) {
    return progress(counters.bytesDone, counters.bytes, counters.datasetsDone, counters.datasets,
                    context) != 0;
  };
}

}  // namespace

zt7kit_status zt7kit_seal(const char* folder, const char* mask, int key_version, unsigned flags,
                          unsigned jobs, zt7kit_progress progress, void* progress_context,
                          char** json, char** summary, char** message) {
  kit::Clear({json, summary, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"folder", folder}})) return s;
    if (!kit::KnownKeyVersion(key_version)) {
      kit::Hand(message, "no key version " + std::to_string(key_version) + " (1, 2 or 3)");
      return ZT7KIT_REFUSED;
    }
    zt7::dataset::SealOptions options;
    if (mask) options.mask = mask;
    options.keyVersion = key_version;
    options.force = (flags & ZT7KIT_FORCE) != 0;
    options.threads = jobs;
    WorkCounters counters;
    counters.datasets = 1;
    const zt7::dataset::SealOutcome seal =
        SealFolder(folder, options, counters, WatcherOf(progress, progress_context));
    kit::Hand(json, SealJson(seal, key_version));
    if (seal.written.Ok()) kit::Hand(summary, SealSummary(seal));
    kit::Hand(message, kit::Lines(SealNotes(seal, (flags & ZT7KIT_QUIET) != 0)));
    return kit::StatusOf(seal.written.GetOutcome());
  });
}

zt7kit_status zt7kit_verify(const char* const* folders, size_t count, unsigned jobs, unsigned flags,
                            zt7kit_progress progress, void* progress_context, char** json,
                            char** report, char** message) {
  kit::Clear({json, report, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"folders", folders}})) return s;
    if (count == 0) {
      kit::Hand(message, "no folder given");
      return ZT7KIT_REFUSED;
    }
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) {
      if (folders[i] == nullptr) {
        kit::Hand(message, "no folder given at " + std::to_string(i) + " (a null pointer)");
        return ZT7KIT_REFUSED;
      }
      names.emplace_back(folders[i]);
    }
    WorkCounters counters;
    const std::vector<zt7::dataset::DatasetCheck> checks =
        VerifyFolders(names, jobs, counters, WatcherOf(progress, progress_context));
    if (counters.cancelled) {
      kit::Hand(message, "cancelled: the folders were not all checked");
      return ZT7KIT_ERROR;
    }
    bool intact = true;
    std::string text;
    std::vector<std::string> notes;
    std::vector<const zt7::dataset::DatasetCheck*> all;
    for (const zt7::dataset::DatasetCheck& check : checks) {
      intact = intact && check.Intact();
      text += TextReport(check);
      for (std::string& note : VerifyNotes(check, (flags & ZT7KIT_QUIET) != 0))
        notes.push_back(std::move(note));
      all.push_back(&check);
    }
    kit::Hand(json, JsonReport(all));
    kit::Hand(report, text);
    kit::Hand(message, kit::Lines(notes));
    return intact ? ZT7KIT_OK : ZT7KIT_MISMATCH;
  });
}
