// zt7kit: the outputs of an audit: each shard's report file, and the merged report.
#include <string>
#include <vector>

#include "dataset/manifest.h"
#include "dataset/merge.h"
#include "kit/kit_call.h"
#include "sdl/file_replace.h"
#include "sdl/regular_file.h"
#include "zt7kit.h"

namespace kit = zt7::kit;

namespace {

// A shard's report of a million intact files in full is about 250 MB.
constexpr size_t kLargestReport = size_t(1) << 30;

}  // namespace

zt7kit_status zt7kit_merge_reports(const char* const* paths, size_t count, char** json,
                                   char** report, char** message) {
  kit::Clear({json, report, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"paths", paths}})) return s;
    if (count == 0) {
      kit::Hand(message, "no report given");
      return ZT7KIT_REFUSED;
    }
    std::vector<zt7::dataset::ShardReport> reports;
    std::vector<std::string> unread;
    for (size_t i = 0; i < count; ++i) {
      if (paths[i] == nullptr) {
        kit::Hand(message, "no report given at " + std::to_string(i) + " (a null pointer)");
        return ZT7KIT_REFUSED;
      }
      zt7::Result<std::string> text = zt7::ReadRegularFile(paths[i], kLargestReport);
      if (!text.Ok())
        unread.push_back("'" + zt7::dataset::Escaped(paths[i]) + "': " + text.Reason());
      reports.push_back({paths[i], std::move(text.Value())});
    }
    if (!unread.empty()) {
      kit::Hand(message, kit::Lines(unread));
      return ZT7KIT_REFUSED;
    }
    const zt7::dataset::MergedReport merged = zt7::dataset::MergeReports(reports);
    if (merged.verdict.GetOutcome() == zt7::Outcome::kRefused) {
      kit::Hand(message, merged.verdict.Reason());
      return ZT7KIT_REFUSED;
    }
    kit::Hand(json, merged.json);
    kit::Hand(report, merged.text);
    kit::Hand(message, kit::Lines(merged.findings));
    return kit::StatusOf(merged.verdict.GetOutcome());
  });
}

zt7kit_status zt7kit_replace_file(const char* path, const char* bytes, size_t length,
                                  char** message) {
  kit::Clear({message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"path", path}})) return s;
    if (bytes == nullptr && length > 0) {
      kit::Hand(message,
                "no bytes given (a null pointer) for a length of " + std::to_string(length));
      return ZT7KIT_REFUSED;
    }
    const zt7::Result<zt7::Done> written =
        zt7::ReplaceFile(path, std::string(bytes ? bytes : "", length), true);
    if (written.Ok()) return ZT7KIT_OK;
    kit::Hand(message, "'" + zt7::dataset::Escaped(path) + "': " + written.Reason());
    return kit::StatusOf(written.GetOutcome());
  });
}
