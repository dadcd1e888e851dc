// The audit's last step: merging the reports of its shards.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli_support.h"
#include "tool.h"
#include "zt7kit.h"

namespace zt7cli {
namespace {

constexpr char kMerge[] = "merge-reports";

struct MergeArguments {
  std::vector<std::string> reports;
  bool json = false;
};

int RunMerge(const MergeArguments& arguments) {
  std::vector<const char*> paths;
  for (const std::string& report : arguments.reports) paths.push_back(report.c_str());
  KitText json, report, message;
  const zt7kit_status status =
      zt7kit_merge_reports(paths.data(), paths.size(), json.Out(), report.Out(), message.Out());
  PrintLines(kMerge, message.Text());
  if (status == ZT7KIT_REFUSED) return kUsageError;
  if (status == ZT7KIT_ERROR) return kRefused;
  std::fputs((arguments.json ? json : report).Text().c_str(), stdout);
  return status == ZT7KIT_OK ? kSuccess : kRefused;
}

}  // namespace

void AddAuditCommands(Tool& tool) {
  auto merge = std::make_shared<MergeArguments>();
  CLI::App& command = tool.Add(
      {kMerge, "REPORT... [--json]",
       "merge the reports of an audit's shards (verify --shard K/N --json) into one",
       "  Prints per dataset its verdict and each item that is not OK, as verify does, then\n"
       "  `shard K of N missing` for each shard without a report and the audit's summary;\n"
       "  --json prints verify's JSON report of every dataset with \"shards\": {\"count\",\n"
       "  \"present\", \"missing\"}. Exit 0 when every shard is present and every dataset\n"
       "  intact, 1 when a dataset is not or a shard is missing (rerun those shards and\n"
       "  merge again), 2 when a report is cut short, of another list, run or version, or\n"
       "  a shard is given twice: the files are named and nothing is merged."},
      [merge] { return RunMerge(*merge); });
  command.add_option("REPORT", merge->reports)->required();
  command.add_flag("--json", merge->json);
}

}  // namespace zt7cli
